#include "core/MacroRecorder.h"

#include <climits>

#include "base/Paths.h"
#include "base/Raii.h"
#include "base/Text.h"
#include "core/RecorderPrompts.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "library/Settings.h"
#include "mimic.h"
#include "script/DocumentSink.h"
#include "script/ScriptWriter.h"
#include "ui/ActionsMenu.h"
#include "ui/MacroListDlg.h"
#include "ui/TaskManager.h"

namespace mimic {

namespace {

using setting::kDontConfirm;
using setting::kRecordTemporary;
using setting::kShortcutNumber;

} // namespace

KMacroRecorder::KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie)
    : KMacroRecorder(pFramework, nPlugInCookie, ActionCatalogue::Instance())
{
}

KMacroRecorder::KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie, ActionCatalogue &catalogue)
    : m_pFramework(pFramework), m_nPlugInCookie(nPlugInCookie), m_catalogue(catalogue),
      m_pOwnPrompts(new DialogPrompts(pFramework, catalogue)), m_pPrompts(m_pOwnPrompts.get())
{
}

KMacroRecorder::KMacroRecorder(IUnknown *pFramework, UINT nPlugInCookie, ActionCatalogue &catalogue,
                               IRecorderPrompts &prompts)
    : m_pFramework(pFramework), m_nPlugInCookie(nPlugInCookie), m_catalogue(catalogue), m_pPrompts(&prompts)
{
}

// The owner stops first; whatever is left is only freed.
KMacroRecorder::~KMacroRecorder() = default;

void KMacroRecorder::Start(HWND hParent, long nCookie)
{
    if (m_state != RecorderIdle)
    {
        m_state = RecorderRecording;
        return;
    }

    m_nNextDocIndex = 0;
    PlugInSettings settings(m_pFramework);
    DWORD recordTemporary = 0, dontConfirm = 0, shortcut = static_cast<DWORD>(-1);
    std::string proposed;
    if (settings.IsOpen())
    {
        settings.ReadNumber(kRecordTemporary, recordTemporary);
        settings.ReadNumber(kDontConfirm, dontConfirm);
        settings.ReadNumber(kShortcutNumber, shortcut);
        if (static_cast<int>(shortcut) == -1)
        {
            proposed = "Ctrl+0";
            shortcut = 0;
        }
        else
            proposed = "Ctrl+" + std::to_string(static_cast<int>(shortcut));
    }

    if (recordTemporary == 1 && dontConfirm == 0 && !m_pPrompts->ConfirmTemporary(hParent))
        return;

    ActionEntry entry;
    entry.strAccel = proposed;
    const bool bNamed = recordTemporary == 0;
    LocalFolderHosts localHosts; // a temporary action's: held until the recording has started
    if (bNamed)
    {
        if (!m_pPrompts->SettleAction(hParent, entry) || entry.strName.empty())
            return;
    }
    else
    {
        entry.strName = kTemporaryActionName;
        entry.strAccel = "Ctrl+0";
        localHosts = LocalFolderHosts(m_pFramework);
        if (!localHosts.BothOpen())
            entry.bGlobal = true;
    }

    m_nRecordingCookie = nCookie;
    // A local folder whose workspace or design named no folder is still the
    // setting's own text: the script would land in the host's working folder,
    // where nobody looks for it. Such an action is recorded globally.
    if (!entry.bGlobal)
    {
        const std::string local = m_catalogue.GetLocalPath();
        if (!local.empty() && !IsRootedPath(local))
            entry.bGlobal = true;
    }
    const std::string folder = m_catalogue.GetFolder(entry.bGlobal);
    // A folder that was never learnt (its setting unreadable, or the local one
    // dropped with the host's plug-in) would put the script at the root of the
    // current drive: the script cannot be created, so nothing is recorded. A
    // global folder typed without a drive or server is the user's to mend.
    if (folder.empty())
    {
        if (entry.bGlobal && !m_catalogue.GetGlobalPath().empty())
            m_pPrompts->ReportSaveFailure(m_catalogue.GetMainWindow(), "Can't record the action \"" + entry.strName +
                                                                           "\": " + m_catalogue.FolderError(true) +
                                                                           ".");
        return;
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + entry.strName + ".pl";

    if (bNamed && FileUtils::Exists(path) && !m_pPrompts->ConfirmOverwrite(m_catalogue.GetMainWindow()))
        return;

    entry.strPath = path;
    m_entry = entry;
    m_pWriter.reset(new ScriptWriter(m_catalogue));
    m_pWriter->SetEntry(&m_entry);
    if (FAILED(m_pWriter->Open(path.c_str(), 0)))
    {
        if (!m_pWriter->SaveError().empty())
            m_pPrompts->ReportSaveFailure(m_catalogue.GetMainWindow(), m_pWriter->SaveError());
        m_pWriter.reset();
        return;
    }
    // Only a recording that really starts takes its hotkey from the others.
    // Where that cannot be saved, the others keep it and the user is told;
    // the recording goes on.
    if (!m_catalogue.ClearAccel(m_entry))
        m_pPrompts->ReportSaveFailure(m_catalogue.GetMainWindow(), m_catalogue.LastSaveError());

    if (settings.IsOpen() && bNamed)
    {
        // After 9 the proposals start again at Ctrl+0; so they do after the
        // largest number, which has no next.
        const int number = static_cast<int>(shortcut);
        const int next = number == 9 || number == INT_MAX ? -1 : number + 1;
        settings.WriteNumber(kShortcutNumber, static_cast<DWORD>(next));
    }
    settings.Close();

    m_state = RecorderRecording;
    AttachDocument(CLSID_EditorDocument, static_cast<UINT>(m_nRecordingCookie));
}

void KMacroRecorder::Pause()
{
    if (m_state == RecorderRecording)
        m_state = RecorderPaused;
}

void KMacroRecorder::Stop()
{
    if (m_state != RecorderRecording && m_state != RecorderPaused)
        return;
    m_state = RecorderIdle;
    DetachAll();
    if (m_pWriter)
    {
        m_pWriter->Close();
        m_pWriter.reset();
    }
    StoreLastAction(m_pFramework, m_entry.strPath, m_entry.nRepeat);
}

void KMacroRecorder::GetState(long *pState, long *pCookie) const
{
    if (pState)
        *pState = m_state;
    if (pCookie)
        *pCookie = m_nRecordingCookie;
}

void KMacroRecorder::DetachAll()
{
    std::map<UINT, ComPtr<DocumentSink>> documents;
    documents.swap(m_documents);
    for (auto &doc : documents)
        (void)doc.second->Disconnect();
}

void KMacroRecorder::RecordEvent(UINT nCookie, const char *pszCommand, const char *pszParams)
{
    if (m_state != RecorderRecording)
        return;
    auto it = m_documents.find(nCookie);
    if (it == m_documents.end())
    {
        m_pPrompts->ReportUntrackedDocument(m_catalogue.GetMainWindow());
        return;
    }
    if (m_pWriter)
        (void)m_pWriter->WriteCommand(it->second->VariableName().c_str(), pszCommand ? pszCommand : "",
                                      pszParams ? pszParams : "");
}

void KMacroRecorder::AttachDocument(REFCLSID rclsid, UINT nCookie)
{
    if (m_state == RecorderIdle)
        return;
    ComPtr<DocumentSink> sink(DocumentSink::Create());
    if (!sink)
        return;
    sink->Init(this, m_nNextDocIndex++);
    if (!sink->Connect(rclsid, nCookie))
        return;
    if (m_documents.count(nCookie))
    {
        (void)sink->Disconnect();
        return;
    }
    m_documents[nCookie] = sink;
    if (!sink->ConnectedToDocumentEvents())
        WriteDocumentOpen(nCookie);
}

void KMacroRecorder::DetachDocument(REFCLSID /*rclsid*/, UINT nCookie)
{
    if (m_state == RecorderIdle)
        return;
    auto it = m_documents.find(nCookie);
    if (it != m_documents.end())
    {
        ComPtr<DocumentSink> sink = std::move(it->second);
        m_documents.erase(it);
        if (m_pWriter)
            (void)m_pWriter->CloseDocument(sink->VariableName().c_str(), nCookie, true);
        (void)sink->Disconnect();
    }
    if (m_documents.empty())
        Stop();
}

void KMacroRecorder::WriteDocumentOpen(UINT nCookie)
{
    auto it = m_documents.find(nCookie);
    if (it == m_documents.end() || !m_pWriter)
        return;
    (void)m_pWriter->OpenDocument(it->second->VariableName().c_str(), it->second->ClassIdText().c_str(), nullptr);
}

void KMacroRecorder::WriteDocumentEvent(UINT nCookie)
{
    auto it = m_documents.find(nCookie);
    if (it == m_documents.end() || !m_pWriter)
        return;
    (void)m_pWriter->OpenDocument(it->second->VariableName().c_str(), it->second->ClassIdText().c_str(),
                                  it->second->ParamText());
}

bool KMacroRecorder::GetDocumentObject(UINT nCookie, REFIID riid, void **ppv)
{
    if (!ppv)
        return false;
    *ppv = nullptr;
    if (!m_pFramework)
        return false;
    ComPtr<IHostDocumentLookup> lookup;
    if (FAILED(m_pFramework->QueryInterface(IID_IHostDocumentLookup, lookup.PutVoid())) || !lookup)
        return false;
    IUnknown *pUnk = nullptr;
    if (FAILED(lookup->GetDocument(nCookie, riid, &pUnk)) || !pUnk)
        return false;
    *ppv = pUnk;
    return true;
}

bool KMacroRecorder::BuildActionsMenu(IUnknown **ppMenu, REFCLSID rclsid)
{
    return mimic::BuildActionsMenu(m_pFramework, m_catalogue, ppMenu, rclsid);
}

void KMacroRecorder::ChooseActionToPlay(HWND hParent, long *nTimes, BSTR *pFileName)
{
    KMacroListDlg dlg(hParent, m_catalogue);
    if (dlg.DoModal() != IDOK || !dlg.GetChosenAction() || !nTimes || !pFileName)
        return;
    const ActionEntry &chosen = *dlg.GetChosenAction();
    BSTR path = BstrFromNarrow(chosen.strPath);
    if (!path)
        return;
    *pFileName = path;
    *nTimes = dlg.GetRepeatCount();
    StoreLastAction(m_pFramework, chosen.strPath, dlg.GetRepeatCount());
}

HRESULT KMacroRecorder::GetAccelForCommand(int nCmdId, BSTR *pAccel)
{
    if (!pAccel)
        return E_POINTER;
    for (const ActionEntry &entry : m_catalogue.Entries())
    {
        if (entry.nCmdId != nCmdId)
            continue;
        BSTR accel = BstrFromNarrow(entry.strAccel);
        if (!accel)
            return E_OUTOFMEMORY;
        *pAccel = accel;
        return S_OK;
    }
    return S_FALSE;
}

void KMacroRecorder::ShowActionManager(HWND hParent)
{
    CTaskManager manager(m_pFramework, hParent, m_catalogue);
    (void)manager.DoModal();
}

std::string KMacroRecorder::GetActionFolder(bool bGlobal)
{
    return bGlobal ? m_catalogue.GetGlobalPath() : m_catalogue.GetLocalPath();
}

} // namespace mimic
