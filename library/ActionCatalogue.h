// The one list of known actions: both action folders scanned into entries,
// each with a host command id registered with the host's accelerator service.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <functional>
#include <string>
#include <vector>

#include "library/ActionEntry.h"

namespace mimic {

// Whether new actions may go to the local folder: that takes the host's
// workspace manager and the host plug-in whose instances carry local actions.
bool LocalActionsAllowed(IUnknown *pFramework);

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

    // Saves change the entry's folder's "mimic.ini" as one locked step per
    // file and operation. False when a file could not be saved (it is then
    // as it was): LastSaveError says why, naming the file.
    bool SaveEntry(const ActionEntry &entry);
    // Many entries, as the Action Manager's OK saves them: one change per file.
    bool SaveEntries(const std::vector<ActionEntry> &entries);
    bool RemoveEntry(const ActionEntry &entry);
    // Asked before a script of the same name in the target folder is replaced;
    // true lets the copy overwrite it.
    using ConfirmOverwrite = std::function<bool()>;
    bool CopyIntoFolder(const ActionEntry &entry, const ConfirmOverwrite &confirmOverwrite);
    // Entries keep their hotkey where their file could not be saved.
    bool ClearAccel(const ActionEntry &entry);
    const std::string &LastSaveError() const { return m_lastSaveError; }
    // The catalogue files that the last scans found but could not read: their
    // actions are listed with default values, which never replace stored ones.
    const std::vector<std::string> &UnreadableFiles() const { return m_unreadable; }

    bool CommandsAdded() const { return m_bCommandsAdded; }
    int NextCommandId() const { return m_nNextCmdId; }
    HWND GetMainWindow() const;

    std::string GetGlobalPath();
    std::string GetLocalPath();
    void ExpandMacros(std::string &folder);
    void ScanFolder(const std::string &folder, bool bGlobal);

private:
    void ReadFolderSetting(HKEY hKey, const char *pszValue, const char *pszDefault, std::string &folder);
    std::string IniPathFor(const ActionEntry &entry);
    bool WriteSections(const std::vector<ActionEntry> &entries, std::vector<std::string> *pFailed);

    std::vector<ActionEntry> m_entries;
    std::string m_localFolder;
    std::string m_globalFolder;
    IUnknown *m_pFramework = nullptr; // not owned
    int m_nNextCmdId = kFirstCommandId;
    bool m_bCommandsAdded = false;
    std::vector<std::string> m_unreadable;
    std::string m_lastSaveError;
};

} // namespace mimic
