#include "refhost/app/HostWindow.h"

#include <commdlg.h>

namespace refhost {

namespace {

const char kClassName[] = "VantrelReferenceHost";
const char kTitle[] = "Vantrel Reference Host";

enum : UINT
{
    ID_DOCS = 100,
    ID_LOG,
    ID_COMMAND,
    ID_RUN,
    ID_FILE_OPEN = 40001,
    ID_FILE_CLOSE,
    ID_FILE_EXIT,
    ID_PLUGIN_START,
    ID_PLUGIN_CLOSE,
    ID_RECORD_START,
    ID_RECORD_PAUSE,
    ID_RECORD_STOP,
    ID_PLAY_LAST,
    ID_PLAY_LAST_ALL,
    ID_PLAY_SETTINGS,
    ID_PLAY_MANAGER,
    ID_PLAY_LIST,
    ID_TOOLS_OPTIONS,
    ID_ACTION_FIRST = 41000, // one id an item of the actions menu
    ID_ACTION_LAST = 41999,
};

const int kMargin = 8, kDocsWidth = 220, kRowHeight = 24;

HMENU BuildMenu(HMENU &hActions)
{
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, ID_FILE_OPEN, "&Open Document...");
    ::AppendMenuA(file, MF_STRING, ID_FILE_CLOSE, "&Close Document");
    ::AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(file, MF_STRING, ID_FILE_EXIT, "E&xit");
    HMENU plugIn = ::CreatePopupMenu();
    ::AppendMenuA(plugIn, MF_STRING, ID_PLUGIN_START, "&Start Plug-in");
    ::AppendMenuA(plugIn, MF_STRING, ID_PLUGIN_CLOSE, "&Close Plug-in");
    HMENU record = ::CreatePopupMenu();
    ::AppendMenuA(record, MF_STRING, ID_RECORD_START, "&Start Recording");
    ::AppendMenuA(record, MF_STRING, ID_RECORD_PAUSE, "&Pause Recording");
    ::AppendMenuA(record, MF_STRING, ID_RECORD_STOP, "S&top Recording");
    HMENU play = ::CreatePopupMenu();
    ::AppendMenuA(play, MF_STRING, ID_PLAY_LAST, "Play &Last Action");
    ::AppendMenuA(play, MF_STRING, ID_PLAY_LAST_ALL, "Play Last Action over &Open Documents");
    ::AppendMenuA(play, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(play, MF_STRING, ID_PLAY_SETTINGS, "Player &Settings...");
    ::AppendMenuA(play, MF_STRING, ID_PLAY_MANAGER, "Action &Manager...");
    ::AppendMenuA(play, MF_STRING, ID_PLAY_LIST, "L&ist Actions");
    hActions = ::CreatePopupMenu();
    HMENU tools = ::CreatePopupMenu();
    ::AppendMenuA(tools, MF_STRING, ID_TOOLS_OPTIONS, "&Options...");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugIn), "Plug-&in");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(record), "&Record");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(play), "&Play");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(hActions), "&Actions");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "&Tools");
    return bar;
}

bool IsModifier(UINT vk)
{
    return vk == VK_CONTROL || vk == VK_MENU || vk == VK_SHIFT || vk == VK_LCONTROL || vk == VK_RCONTROL ||
           vk == VK_LMENU || vk == VK_RMENU || vk == VK_LSHIFT || vk == VK_RSHIFT;
}

} // namespace

bool HostWindow::Create()
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    mimic::UniqueHMenu menu(BuildMenu(m_hActions));
    if (!::CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 760, 480, nullptr,
                           menu.get(), wc.hInstance, this))
        return false;
    menu.release(); // the window's now
    return true;
}

void HostWindow::Log(const std::string &line)
{
    if (!m_hLog)
        return;
    std::string text;
    for (char c : line)
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    text += "\r\n";
    const int length = ::GetWindowTextLengthA(m_hLog);
    ::SendMessageA(m_hLog, EM_SETSEL, length, length);
    ::SendMessageA(m_hLog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void HostWindow::Refresh()
{
    if (!Handle())
        return;
    ::SendMessageA(m_hDocs, LB_RESETCONTENT, 0, 0);
    RefDocument *active = m_session.ActiveDocument();
    for (RefDocument *doc : m_session.Documents())
    {
        const std::string text = "#" + std::to_string(doc->Cookie()) + "  " + m_session.Display(doc->File());
        LRESULT index = ::SendMessageA(m_hDocs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ::SendMessageA(m_hDocs, LB_SETITEMDATA, static_cast<WPARAM>(index), doc->Cookie());
        if (doc == active)
            ::SendMessageA(m_hDocs, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    static const char *const states[] = {"", " - recording", " - recording paused"};
    const long state = m_session.RecorderState();
    std::string title = kTitle;
    if (!m_session.PlugInRunning())
        title += " - plug-in not started";
    else if (state >= 0 && state <= 2)
        title += states[state];
    ::SetWindowTextA(Handle(), title.c_str());
}

int HostWindow::RunMessageLoop()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (TranslateHotkey(msg))
            continue;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == m_hCommand)
        {
            RunTypedCommand();
            continue;
        }
        if (!::IsDialogMessageA(Handle(), &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

// A key pressed with Ctrl or Alt is offered to the plug-in's actions first,
// named as the Action Properties dialog names hotkeys.
bool HostWindow::TranslateHotkey(const MSG &msg)
{
    if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) || IsModifier(static_cast<UINT>(msg.wParam)))
        return false;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, alt = ::GetKeyState(VK_MENU) < 0,
               shift = ::GetKeyState(VK_SHIFT) < 0;
    if (!ctrl && !alt)
        return false;
    char name[64] = {};
    if (::GetKeyNameTextA(static_cast<LONG>(msg.lParam), name, sizeof(name)) <= 0)
        return false;
    std::string accel = std::string(ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") + (shift ? "Shift+" : "") + name;
    UINT id = 0;
    if (!m_session.FindHotkey(accel, id))
        return false;
    std::string error;
    m_session.Say(accel + ":");
    Report(m_session.PlayCommand(id, m_session.ActiveDocument(), error), error);
    return true;
}

void HostWindow::Report(bool ok, const std::string &error)
{
    if (!ok)
        m_session.Say("error: " + error);
    Refresh();
}

LRESULT CALLBACK HostWindow::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        auto *self = static_cast<HostWindow *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
        self->m_window.reset(hWnd);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<HostWindow *>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    LRESULT result = self->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        (void)self->m_window.release(); // destroyed already
    }
    return result;
}

LRESULT HostWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
    {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        auto child = [&](DWORD exStyle, const char *cls, const char *text, DWORD style, UINT id) {
            HWND h = ::CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, Handle(),
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
            ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            return h;
        };
        m_hDocs = child(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                        ID_DOCS);
        m_hLog = child(WS_EX_CLIENTEDGE, "EDIT", "",
                       WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL, ID_LOG);
        m_hPrompt = child(0, "STATIC", "Command:", SS_CENTERIMAGE, static_cast<UINT>(-1));
        m_hCommand = child(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, ID_COMMAND);
        m_hRun = child(0, "BUTTON", "&Run", WS_TABSTOP | BS_PUSHBUTTON, ID_RUN);
        ::SendMessageA(m_hLog, EM_SETLIMITTEXT, 0, 0);
        Layout();
        Refresh();
        return 0;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO *>(lParam)->ptMinTrackSize = POINT{480, 320};
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == m_hActions)
            ShowActionsMenu(m_hActions);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_DOCS && HIWORD(wParam) == LBN_SELCHANGE)
        {
            LRESULT sel = ::SendMessageA(m_hDocs, LB_GETCURSEL, 0, 0);
            if (sel != LB_ERR)
                m_session.Activate(m_session.FindDocument(
                    "#" + std::to_string(::SendMessageA(m_hDocs, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0))));
            return 0;
        }
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(Handle(), uMsg, wParam, lParam);
}

void HostWindow::Layout()
{
    RECT rc;
    ::GetClientRect(Handle(), &rc);
    const int w = rc.right, h = rc.bottom;
    const int top = kMargin, bottom = h - kMargin - kRowHeight - kMargin;
    ::MoveWindow(m_hDocs, kMargin, top, kDocsWidth, bottom - top, TRUE);
    ::MoveWindow(m_hLog, 2 * kMargin + kDocsWidth, top, w - 3 * kMargin - kDocsWidth, bottom - top, TRUE);
    const int row = h - kMargin - kRowHeight;
    ::MoveWindow(m_hPrompt, kMargin, row, 64, kRowHeight, TRUE);
    ::MoveWindow(m_hCommand, kMargin + 64, row, w - 3 * kMargin - 64 - 80, kRowHeight, TRUE);
    ::MoveWindow(m_hRun, w - kMargin - 80, row, 80, kRowHeight, TRUE);
}

// "Place R1, 'x'" runs the command Place with the parameters R1, 'x' in the active document.
void HostWindow::RunTypedCommand()
{
    char text[4096] = {};
    ::GetWindowTextA(m_hCommand, text, sizeof(text));
    std::string line = text;
    line.erase(0, line.find_first_not_of(' '));
    if (line.empty())
        return;
    RefDocument *doc = m_session.ActiveDocument();
    if (!doc)
    {
        m_session.Say("error: open a document to run commands in");
        return;
    }
    const size_t blank = line.find(' ');
    const std::string name = line.substr(0, blank);
    const std::string params = blank == std::string::npos ? std::string() : line.substr(line.find_first_not_of(' ', blank));
    m_session.Say(m_session.Display(doc->File()) + "> " + line);
    m_session.RunCommand(doc, name, params);
    ::SetWindowTextA(m_hCommand, "");
}

void HostWindow::OpenDocumentFromDialog()
{
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = "Design documents (*.bde;*.txt)\0*.bde;*.txt\0All files\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameA(&ofn))
        return;
    std::string error;
    Report(m_session.OpenDocument(file, error) != nullptr, error);
}

void HostWindow::ShowActionsMenu(HMENU hMenu)
{
    while (::GetMenuItemCount(hMenu) > 0)
        ::DeleteMenu(hMenu, 0, MF_BYPOSITION);
    m_actionItems = m_session.ActionsMenu();
    UINT id = ID_ACTION_FIRST;
    for (const MenuItem &item : m_actionItems)
        if (id <= ID_ACTION_LAST)
            ::AppendMenuA(hMenu, MF_STRING, id++, item.text.c_str());
    if (m_actionItems.empty())
        ::AppendMenuA(hMenu, MF_STRING | MF_GRAYED, ID_ACTION_LAST, "(no actions in the menu)");
}

void HostWindow::OnCommand(UINT id)
{
    std::string error;
    bool ok = true;
    switch (id)
    {
    case ID_RUN:
        RunTypedCommand();
        return;
    case ID_FILE_OPEN:
        OpenDocumentFromDialog();
        return;
    case ID_FILE_CLOSE:
        if (!m_session.CloseDocument(m_session.ActiveDocument()))
            ok = false, error = "no document is open";
        break;
    case ID_FILE_EXIT:
        ::DestroyWindow(Handle());
        return;
    case ID_PLUGIN_START:
        ok = m_session.StartPlugIn(error);
        break;
    case ID_PLUGIN_CLOSE:
        ok = m_session.ClosePlugIn(error);
        break;
    case ID_RECORD_START:
        ok = m_session.StartRecording(m_session.ActiveDocument(), error);
        break;
    case ID_RECORD_PAUSE:
        ok = m_session.PauseRecording(error);
        break;
    case ID_RECORD_STOP:
        ok = m_session.StopRecording(error);
        break;
    case ID_PLAY_LAST:
    case ID_PLAY_LAST_ALL:
    {
        std::vector<std::string> files;
        for (RefDocument *doc : m_session.Documents())
            if (id == ID_PLAY_LAST_ALL || doc == m_session.ActiveDocument())
                files.push_back(doc->File());
        m_session.Say("play last action:");
        ok = m_session.PlayLast(files, error);
        break;
    }
    case ID_PLAY_SETTINGS:
        ok = m_session.ChooseAction(error);
        break;
    case ID_PLAY_MANAGER:
        ok = m_session.ShowActionManager(error);
        break;
    case ID_PLAY_LIST:
        for (const HostAction &a : m_session.Actions())
            m_session.Say(std::to_string(a.nCmdId) + "  " + a.name + "  repeat " + std::to_string(a.nRepeat) +
                          "  hotkey " + (a.accel.empty() ? "-" : a.accel) + (a.bMenu ? "  in menu" : ""));
        break;
    case ID_TOOLS_OPTIONS:
        ok = m_session.ShowOptions(error);
        break;
    default:
        if (id >= ID_ACTION_FIRST && id <= ID_ACTION_LAST && id - ID_ACTION_FIRST < m_actionItems.size())
        {
            const MenuItem &item = m_actionItems[id - ID_ACTION_FIRST];
            m_session.Say(item.text + ":");
            ok = m_session.PlayCommand(item.nCmdId, m_session.ActiveDocument(), error);
        }
        break;
    }
    Report(ok, error);
}

} // namespace refhost
