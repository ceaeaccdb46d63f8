#include "refhost/app/HostSession.h"

#include <cstdio>
#include <map>
#include <set>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "refhost/com/RefOptionsDialog.h"
#include "refhost/driver/Files.h"
#include "refhost/driver/PerlTrace.h"

using mimic::ComPtr;
using mimic::UniqueBstr;

namespace refhost {

namespace {

const UINT kPlugInCookie = 100;
const UINT kFirstActionId = 200000;

std::string ModuleFolder()
{
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string HResultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The plug-in reads hotkey texts as narrow strings whatever its type library says.
LPWSTR NarrowArgument(std::string &text)
{
    return reinterpret_cast<LPWSTR>(&text[0]);
}

} // namespace

HostSession::HostSession(Output output, std::string baseDir)
    : m_output(std::move(output)), m_baseDir(std::move(baseDir)), m_host(RefFramework::Create()),
      m_dllPath(ModuleFolder() + "\\mimic.dll")
{
    if (!m_baseDir.empty() && m_baseDir.back() == '\\')
        m_baseDir.pop_back();
    // The host is always there with its own plug-in and its document class.
    m_host->OpenPlugIn(CLSID_HostPlugIn);
    m_host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
    m_host->BindKey(CLSID_HostGlobalCommands, FCONTROL, 'O', "Open Document");
    m_host->BindKey(CLSID_HostGlobalCommands, FCONTROL, 'S', "Save");
    m_host->BindKey(CLSID_EditorDocument, FCONTROL, 'P', "Print Preview");
    SetPerlLib(PerlPath(ModuleFolder() + "\\perl"));
}

void HostSession::SetPerlLib(const std::string &perlLib)
{
    m_host->RunScriptsWith(perlLib, [this](const RunScriptCommand &command) { return PlayState(command); });
}

HostSession::~HostSession()
{
    std::string error;
    if (m_plugIn)
        ClosePlugIn(error);
    for (RefDocument *doc : m_host->Documents())
        m_host->CloseDocument(doc->Cookie());
}

void HostSession::SetMainWindow(HWND hWnd)
{
    m_hMainWnd = hWnd;
    m_host->SetMainWindow(hWnd);
}

std::string HostSession::FullPath(const std::string &name) const
{
    std::string path = name;
    const bool absolute = (name.size() >= 2 && name[1] == ':') || (!name.empty() && name[0] == '\\');
    if (!absolute)
        path = m_baseDir + "\\" + name;
    char full[MAX_PATH * 4];
    DWORD n = ::GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return n > 0 && n < sizeof(full) ? std::string(full, n) : path;
}

std::string HostSession::Display(const std::string &path) const
{
    const std::string prefix = m_baseDir + "\\";
    if (path.size() > prefix.size() && _strnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0)
        return path.substr(prefix.size());
    return path;
}

// --- Host settings ---------------------------------------------------------

void HostSession::SetInstallDir(const std::string &dir)
{
    m_host->SetInstallDir(FullPath(dir) + "\\");
}

void HostSession::SetDesignsDir(const std::string &dir)
{
    m_host->SetDesignsDir(FullPath(dir) + "\\");
}

void HostSession::OpenWorkspace(const std::string &file)
{
    m_host->OpenWorkspace(FullPath(file));
}

void HostSession::CloseWorkspace()
{
    m_host->CloseWorkspace();
}

void HostSession::OpenDesign(const std::string &folder)
{
    m_host->OpenDesign(FullPath(folder));
}

void HostSession::CloseDesign()
{
    m_host->CloseDesign();
}

bool HostSession::SetSetting(const std::string &name, const std::string &text, std::string &error)
{
    mimic::UniqueHKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    {
        error = "the plug-in's settings key cannot be created";
        return false;
    }
    baseutil::WriteToReg(key.get(), name.c_str(), text.c_str());
    return true;
}

bool HostSession::SetSetting(const std::string &name, DWORD number, std::string &error)
{
    mimic::UniqueHKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    {
        error = "the plug-in's settings key cannot be created";
        return false;
    }
    baseutil::WriteNumberToReg(key.get(), name.c_str(), number);
    return true;
}

// --- The plug-in -------------------------------------------------------------

bool HostSession::StartPlugIn(std::string &error)
{
    if (m_plugIn)
    {
        error = "the plug-in is already running";
        return false;
    }
    if (!m_bRegistered)
    {
        // What regsvr32 does, as a host's installer would.
        mimic::UniqueHModule dll(::LoadLibraryA(m_dllPath.c_str()));
        if (!dll)
        {
            error = "cannot load " + m_dllPath;
            return false;
        }
        auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(
            reinterpret_cast<void *>(::GetProcAddress(dll.get(), "DllRegisterServer")));
        HRESULT hr = registerServer ? registerServer() : E_NOTIMPL;
        dll.reset();
        if (FAILED(hr))
        {
            error = "registering " + m_dllPath + " failed (" + HResultText(hr) + ")";
            return false;
        }
        m_bRegistered = true;
    }
    HRESULT hr = ::CoCreateInstance(CLSID_MimicPlugIn, nullptr, CLSCTX_INPROC_SERVER, IID_IPlugIn, m_plugIn.PutVoid());
    if (FAILED(hr))
    {
        error = "creating the plug-in failed (" + HResultText(hr) + ")";
        return false;
    }
    hr = m_plugIn->Initialize(FrameworkUnknown(), kPlugInCookie);
    if (FAILED(hr) || FAILED(m_plugIn.As(IID_IMimic, m_mimic)))
    {
        error = "the plug-in did not initialize (" + HResultText(hr) + ")";
        m_mimic.Reset();
        m_plugIn->Close();
        m_plugIn.Reset();
        return false;
    }
    Say("  plug-in started");
    Changed();
    return true;
}

bool HostSession::ClosePlugIn(std::string &error)
{
    if (!m_plugIn)
    {
        error = "the plug-in is not running";
        return false;
    }
    m_mimic.Reset();
    HRESULT hr = m_plugIn->Close();
    m_plugIn.Reset();
    Changed();
    if (FAILED(hr))
    {
        error = "the plug-in's Close failed (" + HResultText(hr) + ")";
        return false;
    }
    // Whatever the plug-in left behind keeps its module loaded.
    HMODULE dll = ::GetModuleHandleA("mimic.dll");
    auto canUnloadNow = dll ? reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(
                                  reinterpret_cast<void *>(::GetProcAddress(dll, "DllCanUnloadNow")))
                            : nullptr;
    if (canUnloadNow && canUnloadNow() != S_OK)
    {
        error = "the plug-in still holds objects after Close";
        return false;
    }
    ::CoFreeUnusedLibraries();
    Say("  plug-in closed");
    return true;
}

bool HostSession::NeedPlugIn(std::string &error) const
{
    if (!m_mimic)
        error = "the plug-in is not running (start it first)";
    return m_mimic.Get() != nullptr;
}

HWND HostSession::CreatePreferencesPage(HWND hParent)
{
    ComPtr<IHostPreferencesPage> page;
    HWND hPage = nullptr;
    if (m_plugIn && SUCCEEDED(m_plugIn.As(IID_IHostPreferencesPage, page)))
        page->CreatePage(FrameworkUnknown(), hParent, 0, &hPage);
    return hPage;
}

// --- Documents -----------------------------------------------------------------

RefDocument *HostSession::OpenDocument(const std::string &name, std::string &error)
{
    const std::string path = FullPath(name);
    if (RefDocument *open = FindDocument(path))
    {
        m_nActive = open->Cookie();
        return open;
    }
    if (!IsFile(path))
    {
        mimic::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        if (!f)
        {
            error = "cannot create " + path;
            return nullptr;
        }
    }
    const UINT cookie = m_nNextCookie++;
    RefDocument *doc = m_host->OpenDocument(cookie, path);
    m_nActive = cookie;
    m_host->NotifyPlugInOpened(CLSID_EditorDocument, cookie);
    doc->FireOpen(0, path.c_str(), "");
    if (!m_bQuiet)
        Say("  opened " + Display(path) + " (document #" + std::to_string(cookie) + ")");
    Changed();
    return doc;
}

bool HostSession::CloseDocument(RefDocument *doc)
{
    if (!doc)
        return false;
    const UINT cookie = doc->Cookie();
    if (!m_bQuiet)
        Say("  closed " + Display(doc->File()));
    m_host->NotifyPlugInClosed(CLSID_EditorDocument, cookie);
    m_host->CloseDocument(cookie);
    if (m_nActive == cookie)
    {
        std::vector<RefDocument *> docs = m_host->Documents();
        m_nActive = docs.empty() ? 0 : docs.back()->Cookie();
    }
    Changed();
    return true;
}

RefDocument *HostSession::FindDocument(const std::string &name) const
{
    if (name.size() > 1 && name[0] == '#')
        return m_host->Document(static_cast<UINT>(std::strtoul(name.c_str() + 1, nullptr, 10)));
    const std::string path = FullPath(name);
    RefDocument *byName = nullptr;
    int named = 0;
    for (RefDocument *doc : m_host->Documents())
    {
        if (_stricmp(doc->File().c_str(), path.c_str()) == 0)
            return doc;
        const size_t slash = doc->File().find_last_of('\\');
        if (_stricmp(doc->File().c_str() + slash + 1, name.c_str()) == 0)
            byName = doc, ++named;
    }
    // A bare file name is enough while no other open document has it.
    return named == 1 ? byName : nullptr;
}

void HostSession::Activate(RefDocument *doc)
{
    m_nActive = doc ? doc->Cookie() : 0;
    Changed();
}

RefDocument *HostSession::ActiveDocument() const
{
    return m_host->Document(m_nActive);
}

std::vector<RefDocument *> HostSession::Documents() const
{
    return m_host->Documents();
}

void HostSession::RunCommand(RefDocument *doc, const std::string &name, const std::string &params)
{
    const std::string line = params.empty() ? name : name + " " + params;
    Say("  " + Display(doc->File()) + "> " + line);
    AppendLine(doc->File(), line);
    doc->ReportCommand(name.c_str(), params.c_str());
}

// --- Recording ---------------------------------------------------------------------

bool HostSession::StartRecording(RefDocument *doc, std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    if (!doc)
    {
        error = "no document is open to record in";
        return false;
    }
    HRESULT hr = m_mimic->StartRecording(m_hMainWnd, static_cast<long>(doc->Cookie()));
    if (FAILED(hr))
        error = "StartRecording failed (" + HResultText(hr) + ")";
    else
        Say(RecorderState() == 1 ? "  recording in " + Display(doc->File()) : "  not recording");
    Changed();
    return SUCCEEDED(hr);
}

bool HostSession::PauseRecording(std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    HRESULT hr = m_mimic->PauseRecording();
    if (FAILED(hr))
        error = "PauseRecording failed (" + HResultText(hr) + ")";
    else
        Say(RecorderState() == 2 ? "  recording paused" : "  not recording");
    Changed();
    return SUCCEEDED(hr);
}

bool HostSession::StopRecording(std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    HRESULT hr = m_mimic->StopRecording();
    if (FAILED(hr))
        error = "StopRecording failed (" + HResultText(hr) + ")";
    else
    {
        Say("  recording stopped");
        // The catalogue shows a new action only after a reload, which is the host's to ask for.
        m_mimic->ReloadList();
    }
    Changed();
    return SUCCEEDED(hr);
}

long HostSession::RecorderState() const
{
    long state = 0, cookie = 0;
    if (m_mimic)
        m_mimic->GetRecorderState(&state, &cookie);
    return state;
}

// --- Playing ---------------------------------------------------------------------

bool HostSession::PlayLast(const std::vector<std::string> &names, std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    std::string list;
    for (const std::string &name : names)
        list += (list.empty() ? "" : "\n") + FullPath(name);
    UniqueBstr files(mimic::BstrFromNarrow(list));
    BSTR raw = files.get();
    const size_t firstRun = m_host->PlayRuns().size();
    HRESULT hr = m_mimic->PlayLastMacro(&raw);
    if (FAILED(hr))
    {
        error = "PlayLastMacro failed (" + HResultText(hr) + ")";
        return false;
    }
    if (m_host->PlayRuns().size() == firstRun)
        Say(hr == S_FALSE ? "  no file to play over" : "  there is no last action to play");
    ReportRuns(firstRun);
    return true;
}

bool HostSession::ChooseAction(std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    long times = 0;
    UniqueBstr path;
    HRESULT hr = m_mimic->GetCommandFileNameToPlay(m_hMainWnd, &times, path.put());
    if (FAILED(hr))
    {
        error = "GetCommandFileNameToPlay failed (" + HResultText(hr) + ")";
        return false;
    }
    if (path.get())
        Say("  chosen: " + Display(mimic::NarrowFromBstr(path.get())) + ", repeat " + std::to_string(times));
    else
        Say("  nothing chosen");
    return true;
}

bool HostSession::FindHotkey(const std::string &accel, UINT &nCmdId)
{
    std::string text = accel;
    int id = 0;
    if (!m_mimic || m_mimic->GetCommandIdFromAccel(NarrowArgument(text), &id) != S_OK)
        return false;
    nCmdId = static_cast<UINT>(id);
    return true;
}

bool HostSession::PlayHotkey(const std::string &accel, RefDocument *doc, std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    UINT id = 0;
    if (!FindHotkey(accel, id))
    {
        Say("  " + accel + " plays no action");
        return true;
    }
    return PlayCommand(id, doc, error);
}

bool HostSession::PlayCommand(UINT nCmdId, RefDocument *doc, std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    long times = 1;
    UniqueBstr path;
    if (m_mimic->GetTaskPlayInfoFromCmdId(nCmdId, &times, path.put()) != S_OK)
    {
        error = "no action has the command id " + std::to_string(nCmdId);
        return false;
    }
    if (!doc)
    {
        error = "no document is open to play in";
        return false;
    }
    // The host plays a hotkey's or a menu item's action in the active document.
    const std::string line = "runscript -perl {" + mimic::NarrowFromBstr(path.get()) + "} -1 {" + doc->File() +
                             "} " + std::to_string(times);
    UniqueBstr command(mimic::BstrFromNarrow(line)), extra(mimic::BstrFromNarrow(""));
    const size_t firstRun = m_host->PlayRuns().size();
    m_host->RunCommand(command.get(), extra.get());
    ReportRuns(firstRun);
    return true;
}

bool HostSession::ShowActionManager(std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    HRESULT hr = m_mimic->GetTaskManager(m_hMainWnd);
    if (FAILED(hr))
        error = "GetTaskManager failed (" + HResultText(hr) + ")";
    return SUCCEEDED(hr);
}

bool HostSession::ShowOptions(std::string &error)
{
    if (!NeedPlugIn(error))
        return false;
    RefOptionsDialog options([this](HWND hParent) { return CreatePreferencesPage(hParent); });
    const INT_PTR result = options.DoModal(m_hMainWnd);
    Say(result == IDOK ? "  options applied" : "  options closed");
    return true;
}

std::vector<MenuItem> HostSession::ActionsMenu()
{
    std::vector<MenuItem> items;
    ComPtr<IUnknown> menu;
    if (m_mimic && m_mimic->GetMimicMenu(menu.Put(), CLSID_HostPlugIn) == S_OK && !m_host->Menus().empty())
        items = m_host->Menus().back()->Items();
    return items;
}

std::vector<HostAction> HostSession::Actions()
{
    std::vector<HostAction> actions;
    if (!m_mimic)
        return actions;
    std::set<UINT> inMenu;
    for (const MenuItem &item : ActionsMenu())
        inMenu.insert(item.nCmdId);
    // Ids run from the first one upward in scan order, without gaps.
    for (UINT id = kFirstActionId;; ++id)
    {
        HostAction action;
        UniqueBstr path, accel;
        if (m_mimic->GetTaskPlayInfoFromCmdId(id, &action.nRepeat, path.put()) != S_OK)
            break;
        action.nCmdId = id;
        action.path = mimic::NarrowFromBstr(path.get());
        size_t slash = action.path.find_last_of('\\');
        action.name = action.path.substr(slash == std::string::npos ? 0 : slash + 1);
        if (action.name.size() > 3 && _stricmp(action.name.c_str() + action.name.size() - 3, ".pl") == 0)
            action.name.resize(action.name.size() - 3);
        if (m_mimic->GetCommandAccelFromId(static_cast<int>(id), accel.put()) == S_OK)
            action.accel = mimic::NarrowFromBstr(accel.get());
        action.bMenu = inMenu.count(id) != 0;
        actions.push_back(action);
    }
    return actions;
}

std::string HostSession::ActionFolder(bool bGlobal)
{
    UniqueBstr path;
    if (m_mimic && m_mimic->GetMacroFilesPath(path.put(), bGlobal ? 1 : 0) == S_OK)
        return mimic::NarrowFromBstr(path.get());
    return std::string();
}

// What the stand-in Perl runtime knows of the host at the start of a run: the
// open documents, and which of the files the run may ask for exist on disc:
// the played file and every file the script names in single quotes.
std::string HostSession::PlayState(const RunScriptCommand &command) const
{
    std::string state;
    for (RefDocument *doc : m_host->Documents())
        state += "open\t" + std::to_string(doc->Cookie()) + "\t" + EncodeField(doc->File()) + "\n";
    std::set<std::string> names = {command.file};
    const std::string script = ReadWhole(command.script);
    for (size_t i = 0; i < script.size(); ++i)
    {
        if (script[i] != '\'')
            continue;
        std::string literal;
        for (++i; i < script.size() && script[i] != '\''; ++i)
        {
            if (script[i] == '\\' && i + 1 < script.size() && (script[i + 1] == '\\' || script[i + 1] == '\''))
                ++i;
            literal += script[i];
        }
        names.insert(literal);
    }
    for (const std::string &name : names)
        if (!name.empty() && IsFile(name))
            state += "file\t" + EncodeField(name) + "\n";
    return state;
}

// Tells what each run did, and carries out in the documents the commands
// that the script issued, as the host would have.
void HostSession::ReportRuns(size_t firstRun)
{
    const std::vector<PlayRun> &runs = m_host->PlayRuns();
    for (size_t i = firstRun; i < runs.size(); ++i)
    {
        const PlayRun &run = runs[i];
        Say("  runscript " + Display(run.command.script) + " over " + Display(run.command.file) + ", repeat " +
            run.command.count);
        std::map<std::string, std::string> files; // "\D<n>" -> file
        for (const TracedCall &call : ParseTrace(run.trace))
        {
            if (call.name == "ConnectDocumentPlugIn" && call.args.size() > 1 && call.result != "\\U")
                files[call.result] = call.args[1];
            else if (call.name == "ConnectDocumentPlugInWithCookie" && !call.args.empty() && call.result != "\\U")
            {
                RefDocument *doc = m_host->Document(static_cast<UINT>(std::strtoul(call.args[0].c_str(), nullptr, 10)));
                files[call.result] = doc ? doc->File() : call.args[0];
            }
            else if (call.name == "OpenDocumentPlugIn" && call.args.size() > 2 && call.result != "\\U")
            {
                // What the script opens or closes, the host opens or closes too.
                files[call.result] = call.args[2];
                std::string error;
                if (!FindDocument(call.args[2]) && IsFile(call.args[2]))
                {
                    const UINT active = m_nActive;
                    m_bQuiet = true;
                    OpenDocument(call.args[2], error);
                    m_bQuiet = false;
                    m_nActive = active;
                }
            }
            else if (call.name == "CloseDocumentPlugIn" && !call.args.empty() && call.result == "1")
            {
                auto it = files.find(call.args[0]);
                if (RefDocument *doc = it == files.end() ? nullptr : FindDocument(it->second))
                {
                    m_bQuiet = true;
                    CloseDocument(doc);
                    m_bQuiet = false;
                }
            }
            else if (call.name == "ExecuteCommand" && call.args.size() > 2)
            {
                auto it = files.find(call.args[0]);
                const std::string file = it == files.end() ? call.args[0] : it->second;
                const std::string line = call.args[2].empty() ? call.args[1] : call.args[1] + " " + call.args[2];
                Say("    " + Display(file) + ": " + line);
                if (it != files.end())
                    AppendLine(file, line);
            }
            else if (call.name == "PrintString" && call.args.size() > 1)
                Say("    console: " + call.args[1]);
        }
        if (!run.result.finished)
            Say("    perl did not finish: " + run.result.output);
        else if (run.result.exitCode != 0)
            Say("    perl ended with exit code " + std::to_string(run.result.exitCode) +
                (run.result.output.empty() ? std::string() : ": " + run.result.output));
    }
}

} // namespace refhost
