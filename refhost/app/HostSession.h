// The reference host application's model: one framework, the plug-in loaded
// from mimic.dll through COM as a host loads it, the open documents (text
// files on disc) and every user operation of the host. The main window and
// the scenario runner both drive it; what it has to say goes to one output.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "base/Raii.h"
#include "mimic.h"
#include "refhost/com/RefFramework.h"

namespace refhost {

// One action as the host sees it through the plug-in's interface.
struct HostAction
{
    UINT nCmdId = 0;
    std::string name; // the script's file name without ".pl"
    std::string path;
    long nRepeat = 1;
    std::string accel;
    bool bMenu = false;
};

class HostSession
{
public:
    using Output = std::function<void(const std::string &line)>;

    // baseDir: the folder that relative file names are taken from.
    HostSession(Output output, std::string baseDir);
    ~HostSession();
    HostSession(const HostSession &) = delete;
    HostSession &operator=(const HostSession &) = delete;

    RefFramework &Framework() { return *m_host.Get(); }
    IUnknown *FrameworkUnknown() { return static_cast<IHostFramework *>(m_host.Get()); }
    void SetMainWindow(HWND hWnd);
    HWND MainWindow() const { return m_hMainWnd; }
    // A full path for a name given by the user, relative to the base folder.
    std::string FullPath(const std::string &name) const;
    // The shortest way to name a path to the user: relative to the base folder when below it.
    std::string Display(const std::string &path) const;
    void Say(const std::string &line) const { m_output(line); }
    // Called whenever the documents or the recorder's state may have changed.
    void SetChangeListener(std::function<void()> listener) { m_onChange = std::move(listener); }
    // The stand-in Perl modules' folder as perl sees it; beside the program unless set.
    void SetPerlLib(const std::string &perlLib);

    // --- Host settings ---------------------------------------------------
    void SetInstallDir(const std::string &dir);
    void SetDesignsDir(const std::string &dir);
    void OpenWorkspace(const std::string &file);
    void CloseWorkspace();
    void OpenDesign(const std::string &folder);
    void CloseDesign();
    bool SetSetting(const std::string &name, const std::string &text, std::string &error);
    bool SetSetting(const std::string &name, DWORD number, std::string &error);

    // --- The plug-in -------------------------------------------------------
    // Registers mimic.dll, creates the plug-in through COM and initializes it.
    bool StartPlugIn(std::string &error);
    // Closes and releases the plug-in; false when the module is still held afterwards.
    bool ClosePlugIn(std::string &error);
    bool PlugInRunning() const { return m_mimic.Get() != nullptr; }
    void SetPlugInPath(const std::string &path) { m_dllPath = path; }
    // The Preferences page made into a parent window; null without a plug-in.
    HWND CreatePreferencesPage(HWND hParent);

    // --- Documents -----------------------------------------------------------
    // Opens the file (made empty when missing) as a document of the editor and
    // tells the plug-in, as the host does, with the usual open notification.
    RefDocument *OpenDocument(const std::string &name, std::string &error);
    bool CloseDocument(RefDocument *doc);
    // By file name as the user gave it, by full path, or "#cookie".
    RefDocument *FindDocument(const std::string &name) const;
    RefDocument *ActiveDocument() const;
    void Activate(RefDocument *doc);
    std::vector<RefDocument *> Documents() const;
    // The user runs a command in the document: it is carried out (a line added
    // to the file) and reported to whoever listens, the recorder included.
    void RunCommand(RefDocument *doc, const std::string &name, const std::string &params);

    // --- Recording and playing ---------------------------------------------
    bool StartRecording(RefDocument *doc, std::string &error);
    bool PauseRecording(std::string &error);
    bool StopRecording(std::string &error);
    long RecorderState() const;
    // Plays the last recorded or chosen action over the files.
    bool PlayLast(const std::vector<std::string> &names, std::string &error);
    // Lets the user choose the action to play in Player Settings.
    bool ChooseAction(std::string &error);
    // Plays the action behind a hotkey text or a menu command over the document.
    bool PlayHotkey(const std::string &accel, RefDocument *doc, std::string &error);
    // The command of the action that has the hotkey; false when none has it.
    bool FindHotkey(const std::string &accel, UINT &nCmdId);
    bool PlayCommand(UINT nCmdId, RefDocument *doc, std::string &error);
    bool ShowActionManager(std::string &error);
    // The host's options dialog with the plug-in's Preferences page.
    bool ShowOptions(std::string &error);

    // The actions menu the plug-in builds; empty when it has none.
    std::vector<MenuItem> ActionsMenu();
    // Every action, by command id from 200000 upward, as the host can ask for them.
    std::vector<HostAction> Actions();
    std::string ActionFolder(bool bGlobal);

private:
    bool NeedPlugIn(std::string &error) const;
    std::string PlayState(const RunScriptCommand &command) const;
    void ReportRuns(size_t firstRun);
    void Changed() const
    {
        if (m_onChange)
            m_onChange();
    }

    Output m_output;
    std::function<void()> m_onChange;
    std::string m_baseDir;
    mimic::ComPtr<RefFramework> m_host;
    HWND m_hMainWnd = nullptr;
    std::string m_dllPath;
    bool m_bRegistered = false;
    mimic::ComPtr<IPlugIn> m_plugIn;
    mimic::ComPtr<IMimic> m_mimic;
    UINT m_nNextCookie = 1;
    UINT m_nActive = 0;
    bool m_bQuiet = false; // documents the scripts open and close come and go silently
};

} // namespace refhost
