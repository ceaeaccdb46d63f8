#include "library/ActionCatalogue.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "base/Paths.h"
#include "base/Raii.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/CatalogueFile.h"
#include "library/Settings.h"
#include "mimic.h"

namespace mimic {

namespace {

ComPtr<IHostAccelerators> AcceleratorService(IUnknown *pFramework)
{
    ComPtr<IHostAccelerators> accel;
    if (pFramework)
        pFramework->QueryInterface(IID_IHostAccelerators, accel.PutVoid());
    return accel;
}

// "PlayMode" is read the way atoi reads: leading blanks, a sign, digits;
// anything without digits is 0. A count that no dialog could have stored
// (negative, or above the largest) is 0 too, as for an action without a
// section; so no run of digits can overflow.
int ParseRepeat(const std::string &text)
{
    size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return 0;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxRepeat)
            return 0;
    }
    return negative ? 0 : value;
}

std::string NoFolder(const ActionEntry &entry)
{
    return "Can't save the action \"" + entry.strName + "\": it has no action folder.";
}

} // namespace

ActionCatalogue &ActionCatalogue::Instance()
{
    static ActionCatalogue s_catalogue;
    return s_catalogue;
}

void ActionCatalogue::SetFramework(IUnknown *pFramework)
{
    m_pFramework = pFramework;
    Load();
}

void ActionCatalogue::Load()
{
    PlugInSettings settings(m_pFramework);
    if (!settings.IsOpen())
        return;
    m_localFolder = settings.LocalFolder();
    ExpandMacros(m_localFolder);
    m_globalFolder = settings.GlobalFolder();
    ExpandMacros(m_globalFolder);
    settings.Close();

    m_entries.clear();
    ScanFolder(m_localFolder, false);
    ScanFolder(m_globalFolder, true);
}

void ActionCatalogue::Reload(bool bClearOnly)
{
    m_entries.clear();

    ComPtr<IHostAccelerators> accel = AcceleratorService(m_pFramework);
    if (accel)
    {
        ComPtr<IUnknown> first;
        if (accel->FindCommand(CLSID_EditorDocument, kFirstCommandId, first.Put()) == S_OK)
        {
            first.Reset();
            for (int id = kFirstCommandId; id < m_nNextCmdId; ++id)
            {
                (void)accel->RemoveCommand(CLSID_EditorDocument, static_cast<UINT>(id));
                (void)accel->RemoveCommand(CLSID_HostPlugIn, static_cast<UINT>(id));
            }
            m_bCommandsAdded = false;
            m_nNextCmdId = kFirstCommandId;
        }
    }
    if (bClearOnly)
        return;

    if (!m_globalFolder.empty() && m_globalFolder[0] == '$')
        ExpandMacros(m_globalFolder);
    if (!m_localFolder.empty() && m_localFolder[0] == '$')
        ExpandMacros(m_localFolder);
    ScanFolder(m_localFolder, false);
    ScanFolder(m_globalFolder, true);
}

void ActionCatalogue::RequestReload(ReloadRequest request)
{
    if (m_nDialogs == 0)
        RunReload(request);
    else if (m_pending.empty() || m_pending.back() != request)
        m_pending.push_back(request);
}

void ActionCatalogue::RunReload(ReloadRequest request)
{
    switch (request)
    {
    case ReloadRequest::Rescan:
        Reload(false);
        break;
    case ReloadRequest::NewFolders:
        Reload(false);
        Load();
        break;
    case ReloadRequest::GlobalOnly:
        Reload(true);
        ReloadGlobalOnly();
        break;
    case ReloadRequest::Withdraw:
        Reload(true);
        m_pFramework = nullptr;
        break;
    }
}

ActionCatalogue::DialogScope::DialogScope(ActionCatalogue &catalogue) : m_catalogue(catalogue)
{
    ++m_catalogue.m_nDialogs;
}

ActionCatalogue::DialogScope::~DialogScope()
{
    if (--m_catalogue.m_nDialogs > 0)
        return;
    // A reload may itself be asked for again meanwhile; take the list first.
    std::vector<ReloadRequest> pending;
    pending.swap(m_catalogue.m_pending);
    for (ReloadRequest request : pending)
        m_catalogue.RunReload(request);
}

void ActionCatalogue::ReloadGlobalOnly()
{
    PlugInSettings settings(m_pFramework);
    if (!settings.IsOpen())
        return;
    m_localFolder.clear();
    m_globalFolder = settings.GlobalFolder();
    ExpandMacros(m_globalFolder);
    m_entries.clear();
    ScanFolder(m_globalFolder, true);
}

void ActionCatalogue::ScanFolder(const std::string &folder, bool bGlobal)
{
    // A folder that is not a full path lists what the host's working folder
    // happens to hold, and nothing could be written back there.
    if (!IsRootedPath(folder))
        return;
    const std::string iniPath = folder + "\\" + inikey::kFileName;
    const std::string pattern = folder + "\\*.pl";
    ComPtr<IHostAccelerators> accel = AcceleratorService(m_pFramework);

    WIN32_FIND_DATAA fd;
    UniqueFind find(::FindFirstFileA(pattern.c_str(), &fd));
    if (!find)
        return;
    // One read of the whole file for all of the folder's actions.
    IniDocument ini;
    const bool bUnreadable = CatalogueFile(iniPath).Load(ini) == CatalogueFile::State::Unreadable;
    m_unreadable.erase(std::remove(m_unreadable.begin(), m_unreadable.end(), iniPath), m_unreadable.end());
    if (bUnreadable)
        m_unreadable.push_back(iniPath);
    // File names compare without regard to case, as the file system does.
    auto caseLess = [](const std::wstring &a, const std::wstring &b) { return CompareNoCase(a, b) < 0; };
    std::set<std::wstring, decltype(caseLess)> listed(caseLess);
    do
    {
        // A name the ANSI code page cannot carry comes out of the narrow
        // listing as a look-alike: one with '?' that names no file, or a
        // best-fit spelling that names no file or another one, which the
        // listing then gives twice. Neither is offered, nor a script whose
        // name no action can have: blanks around it would share another's
        // section, a brace would cut the play command line.
        std::string name;
        const std::string file = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ActionNameFromFile(file, name) ||
            ::GetFileAttributesA((folder + "\\" + file).c_str()) == INVALID_FILE_ATTRIBUTES ||
            !listed.insert(NoCaseForm(file)).second)
            continue;

        ActionEntry entry;
        entry.strPath = folder + "\\" + file;
        entry.strName = name;
        entry.nCmdId = m_nNextCmdId;
        entry.bGlobal = bGlobal;
        entry.nRepeat = ParseRepeat(ini.Get(name, inikey::kPlayMode));
        entry.strAccel = ini.Get(name, inikey::kAccel);
        entry.bMenu = ini.Get(name, inikey::kAddToMenu) == "1";
        m_entries.push_back(entry);

        if (accel)
        {
            for (const GUID *context : {&CLSID_EditorDocument, &CLSID_HostPlugIn})
            {
                ComPtr<IUnknown> known;
                if (accel->FindCommand(*context, static_cast<UINT>(entry.nCmdId), known.Put()) == S_OK)
                    continue;
                (void)accel->AddCommand(*context, static_cast<UINT>(entry.nCmdId), 1);
                m_bCommandsAdded = true;
            }
        }
        ++m_nNextCmdId;
    } while (::FindNextFileA(find.get(), &fd));
}

ActionEntry *ActionCatalogue::FindByAccel(const char *pszAccel)
{
    const char *accel = pszAccel ? pszAccel : "";
    for (ActionEntry &entry : m_entries)
        if (EqualNoCase(entry.strAccel, accel))
            return &entry;
    return nullptr;
}

ActionEntry *ActionCatalogue::FindByCommandId(int nCmdId)
{
    for (ActionEntry &entry : m_entries)
        if (entry.nCmdId == nCmdId)
            return &entry;
    return nullptr;
}

std::string ActionCatalogue::IniPathFor(const ActionEntry &entry)
{
    const std::string folder = GetFolder(entry.bGlobal);
    // Without a folder the path would name "\mimic.ini" at the root of the drive.
    if (folder.empty())
        return std::string();
    return folder + "\\" + inikey::kFileName;
}

bool ActionCatalogue::WriteSections(const std::vector<ActionEntry> &entries, std::vector<std::string> *pFailed)
{
    m_lastSaveError.clear();
    bool ok = true;
    std::vector<CatalogueFile> files;
    for (const ActionEntry &entry : entries)
    {
        const std::string ini = IniPathFor(entry);
        if (ini.empty() || entry.strName.empty())
        {
            m_lastSaveError = NoFolder(entry);
            ok = false;
            continue;
        }
        // Paths come from IniPathFor, so one file has one spelling.
        auto file = std::find_if(files.begin(), files.end(), [&](const CatalogueFile &f) { return f.Path() == ini; });
        if (file == files.end())
        {
            files.emplace_back(ini, m_lockWaitMs);
            file = files.end() - 1;
            if (std::find(m_unreadable.begin(), m_unreadable.end(), ini) != m_unreadable.end())
                file->KeepStoredSections();
        }
        char repeat[16];
        wsprintfA(repeat, "%d", entry.nRepeat);
        file->Set(entry.strName, inikey::kPlayMode, repeat);
        file->Set(entry.strName, inikey::kAccel, entry.strAccel);
        file->Set(entry.strName, inikey::kFilePath, entry.strPath);
        file->Set(entry.strName, inikey::kAddToMenu, entry.bMenu ? "1" : "0");
    }
    for (CatalogueFile &file : files)
    {
        if (file.Commit())
            continue;
        ok = false;
        m_lastSaveError = file.Error();
        if (pFailed)
            pFailed->push_back(file.Path());
    }
    return ok;
}

bool ActionCatalogue::SaveEntry(const ActionEntry &entry)
{
    return WriteSections({entry}, nullptr);
}

bool ActionCatalogue::SaveEntries(const std::vector<ActionEntry> &entries)
{
    return WriteSections(entries, nullptr);
}

bool ActionCatalogue::RemoveEntry(const ActionEntry &entry)
{
    m_lastSaveError.clear();
    const std::string ini = IniPathFor(entry);
    if (ini.empty() || entry.strName.empty())
    {
        m_lastSaveError = NoFolder(entry);
        return false;
    }
    // Every section of the name goes: one left behind would bring the action back with its values.
    CatalogueFile file(ini, m_lockWaitMs);
    file.RemoveSection(entry.strName);
    if (file.Commit())
        return true;
    m_lastSaveError = file.Error();
    return false;
}

bool ActionCatalogue::ClearAccel(const ActionEntry &entry)
{
    // The given record may be an element of the list: compare against a copy,
    // or clearing it would stop the later matches.
    const std::string accel = entry.strAccel, self = entry.strPath;
    std::vector<ActionEntry> cleared;
    for (const ActionEntry &other : m_entries)
    {
        if (other.strAccel != accel || (!self.empty() && EqualNoCase(other.strPath, self)))
            continue;
        cleared.push_back(other);
        cleared.back().strAccel.clear();
    }
    std::vector<std::string> failed;
    const bool ok = WriteSections(cleared, &failed);
    for (ActionEntry &other : m_entries)
        if (other.strAccel == accel && !(!self.empty() && EqualNoCase(other.strPath, self)) &&
            std::find(failed.begin(), failed.end(), IniPathFor(other)) == failed.end())
            other.strAccel.clear();
    return ok;
}

HWND ActionCatalogue::GetMainWindow() const
{
    if (!m_pFramework)
        return nullptr;
    ComPtr<IHostMainWindow> service;
    if (FAILED(m_pFramework->QueryInterface(IID_IHostMainWindow, service.PutVoid())) || !service)
        return nullptr;
    HWND hWnd = nullptr;
    if (FAILED(service->GetMainWindow(&hWnd)))
        return nullptr;
    return hWnd;
}

} // namespace mimic
