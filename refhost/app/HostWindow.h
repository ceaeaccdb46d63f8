// The reference host's main window, for people: the open documents, a log of
// what the host and the plug-in did, a line to run commands in the active
// document, and menus for recording, playing, the plug-in's dialogs and the
// host's options. Hotkeys go to the plug-in as the host's accelerators would.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "base/Raii.h"
#include "refhost/app/HostSession.h"

namespace refhost {

class HostWindow
{
public:
    explicit HostWindow(HostSession &session) : m_session(session) {}
    HostWindow(const HostWindow &) = delete;
    HostWindow &operator=(const HostWindow &) = delete;

    bool Create();
    HWND Handle() const { return m_window.get(); }
    void Log(const std::string &line);
    // The documents and the recorder's state as they are now.
    void Refresh();
    int RunMessageLoop();

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCommand(UINT id);
    void Layout();
    void RunTypedCommand();
    void OpenDocumentFromDialog();
    void ShowActionsMenu(HMENU hMenu);
    bool TranslateHotkey(const MSG &msg);
    void Report(bool ok, const std::string &error);

    HostSession &m_session;
    HWND m_hDocs = nullptr;
    HWND m_hLog = nullptr;
    HWND m_hCommand = nullptr;
    HWND m_hRun = nullptr;
    HWND m_hPrompt = nullptr;
    HMENU m_hActions = nullptr; // owned by the window's menu
    std::vector<MenuItem> m_actionItems;
    // Last, so that the window goes first, while what its messages use is still there.
    mimic::UniqueHwnd m_window;
};

} // namespace refhost
