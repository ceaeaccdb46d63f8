// The one list of known actions: both action folders scanned into entries,
// each with a host command id registered with the host's accelerator service.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <string>
#include <vector>

#include "base/Raii.h"
#include "library/ActionEntry.h"
#include "library/CatalogueFile.h"

namespace mimic {

// Whether new actions may go to the local folder: that takes the host's
// workspace manager and the host plug-in whose instances carry local actions.
// Both are asked, and both are held for as long as this object lives, so that
// neither goes away while a command that chose the local folder runs.
class LocalFolderHosts
{
public:
    LocalFolderHosts() = default;
    explicit LocalFolderHosts(IUnknown *pFramework);
    bool BothOpen() const { return m_workspace && m_hostPlugIn; }

private:
    ComPtr<IUnknown> m_workspace;
    ComPtr<IUnknown> m_hostPlugIn;
};

class ActionCatalogue
{
public:
    static constexpr int kFirstCommandId = 200000;

    // The catalogue of the process; the plug-in only ever uses this one.
    static ActionCatalogue &Instance();

    // A catalogue of its own, for callers that must not share the process one.
    ActionCatalogue() = default;
    ActionCatalogue(const ActionCatalogue &) = delete;
    ActionCatalogue &operator=(const ActionCatalogue &) = delete;

    // Keeps the framework pointer (not owned) and loads both folders.
    void SetFramework(IUnknown *pFramework);

    void Load();
    void Reload(bool bClearOnly);
    void ReloadGlobalOnly();

    // Pointers into the list stay valid until the next Load, Reload or ReloadGlobalOnly.
    std::vector<ActionEntry> &Entries() { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    ActionEntry *FindByAccel(const char *pszAccel);
    ActionEntry *FindByCommandId(int nCmdId);

    // The reloads that the host asks for through the plug-in. While one of the
    // plug-in's dialogs runs, it holds pointers into the list, and the host's
    // message loop runs under it: such a reload waits until the last dialog
    // has closed, then runs in the order asked.
    enum class ReloadRequest
    {
        Rescan,     // both folders again
        NewFolders, // the folder settings read again, then both folders
        GlobalOnly, // the host plug-in closed: the local actions go
        Withdraw,   // no plug-in object uses the catalogue any more
    };
    void RequestReload(ReloadRequest request);
    class DialogScope
    {
    public:
        explicit DialogScope(ActionCatalogue &catalogue);
        ~DialogScope();
        DialogScope(const DialogScope &) = delete;
        DialogScope &operator=(const DialogScope &) = delete;

    private:
        ActionCatalogue &m_catalogue;
    };
    IUnknown *Framework() const { return m_pFramework; }
    // Another plug-in object's framework takes over; the list stays as it is.
    void HandOverFramework(IUnknown *pFramework) { m_pFramework = pFramework; }

    // Saves change the entry's folder's "mimic.ini" as one locked step per
    // file and operation. False when a file could not be saved (it is then
    // as it was): LastSaveError says why, naming the file.
    bool SaveEntry(const ActionEntry &entry);
    // Many entries, as the Action Manager's OK saves them: one change per file.
    bool SaveEntries(const std::vector<ActionEntry> &entries);
    bool RemoveEntry(const ActionEntry &entry);
    // Every other action with the entry's hotkey loses it and is saved; the
    // action of the entry's own script keeps it. Entries keep their hotkey
    // where their file could not be saved.
    bool ClearAccel(const ActionEntry &entry);
    const std::string &LastSaveError() const { return m_lastSaveError; }
    // How long a save waits for another's lock on a catalogue file.
    void SetLockWait(DWORD ms) { m_lockWaitMs = ms; }
    // The catalogue files that the last scans found but could not read: their
    // actions are listed with default values, which never replace stored ones.
    const std::vector<std::string> &UnreadableFiles() const { return m_unreadable; }

    bool CommandsAdded() const { return m_bCommandsAdded; }
    int NextCommandId() const { return m_nNextCmdId; }
    HWND GetMainWindow() const;

    // The folder as its setting expanded, full path or not: what the host is told.
    std::string GetGlobalPath();
    std::string GetLocalPath();
    // The folder that actions are written into and read from: empty unless
    // it is a full path, since any other would name a folder below the
    // host's working folder.
    std::string GetFolder(bool bGlobal);
    // Why GetFolder is empty, for a message: "the global action folder is not known".
    std::string FolderError(bool bGlobal);
    void ExpandMacros(std::string &folder);
    void ScanFolder(const std::string &folder, bool bGlobal);

private:
    std::string IniPathFor(const ActionEntry &entry);
    bool WriteSections(const std::vector<ActionEntry> &entries, std::vector<std::string> *pFailed);

    void RunReload(ReloadRequest request);

    std::vector<ActionEntry> m_entries;
    int m_nDialogs = 0;
    std::vector<ReloadRequest> m_pending;
    std::string m_localFolder;
    std::string m_globalFolder;
    IUnknown *m_pFramework = nullptr; // not owned
    int m_nNextCmdId = kFirstCommandId;
    bool m_bCommandsAdded = false;
    std::vector<std::string> m_unreadable;
    std::string m_lastSaveError;
    DWORD m_lockWaitMs = CatalogueFile::kDefaultWaitMs;
};

} // namespace mimic
