// The one list of known actions: both action folders scanned into entries,
// each with a host command id registered with the host's accelerator service.
#pragma once

#include <windows.h>
#include <unknwn.h>
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

    void SaveEntry(const ActionEntry &entry);
    void RemoveEntry(const ActionEntry &entry);
    void ClearAccel(const ActionEntry &entry);

    bool CommandsAdded() const { return m_bCommandsAdded; }
    int NextCommandId() const { return m_nNextCmdId; }
    HWND GetMainWindow() const;

    std::string GetGlobalPath();
    std::string GetLocalPath();
    std::string GetFolder(bool bGlobal) { return bGlobal ? GetGlobalPath() : GetLocalPath(); }
    void ExpandMacros(std::string &folder);
    void ScanFolder(const std::string &folder, bool bGlobal);

private:
    std::string IniPathFor(const ActionEntry &entry);

    std::vector<ActionEntry> m_entries;
    std::string m_localFolder;
    std::string m_globalFolder;
    IUnknown *m_pFramework = nullptr; // not owned
    int m_nNextCmdId = kFirstCommandId;
    bool m_bCommandsAdded = false;
};

} // namespace mimic
