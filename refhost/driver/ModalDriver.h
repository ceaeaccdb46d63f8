// Answers the modal dialogs and message boxes that the plug-in raises on this
// thread, for tests and for the reference host's scripted runs: each window
// that appears is matched by caption to a scripted step, which can read and
// work its controls. Drivers nest: a window goes to the newest driver that
// expects its caption. Every window is recorded; an unexpected one is
// reported and closed, and a watchdog closes any window still open after the
// timeout, so nothing can hang in a modal loop.
#pragma once

#include <windows.h>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace refhost {

// Where the driver reports what went wrong (a test failure, a scenario error);
// without a handler it writes to standard error. Returns the handler it replaces.
std::function<void(const std::string &)> SetModalFailureHandler(std::function<void(const std::string &)> handler);

enum class MsgIcon { None, Warning, Error, Information, Question, Other };

class ModalWindow
{
public:
    explicit ModalWindow(HWND hWnd) : m_hWnd(hWnd) {}
    HWND Handle() const { return m_hWnd; }

    std::string Caption() const;
    // The text of a message box (its static control 65535).
    std::string MessageText() const;
    MsgIcon Icon() const;
    // Push-button texts in child order, without their '&' marks.
    std::vector<std::string> Buttons() const;

    // The first window of that class below this one, at any depth, in child
    // order; with an id, the first that also has that id. Null when none.
    HWND FindChild(const std::string &className, int id = -1) const;

    bool Exists(int id) const;
    std::string Text(int id) const;
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;

    void SetText(int id, const std::string &text);
    // A click as a user makes it: nothing happens on a disabled control.
    void Click(int id);
    void ClickButton(const std::string &text);
    // A key press sent straight to a control, with the modifiers held down meanwhile.
    void PressKey(int id, UINT vk, bool ctrl = false, bool alt = false, bool shift = false);
    // A key press as the user makes it: posted to the focused control and run
    // through the dialog's own keyboard handling (Tab, Enter, Escape, Alt+F4).
    void TypeKey(UINT vk, bool ctrl = false, bool alt = false, bool shift = false);
    void End(INT_PTR result);

private:
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string NoControl(int id) const;
    HWND m_hWnd;
};

struct SeenWindow
{
    std::string caption;
    std::string text; // message text of a message box, else empty
    MsgIcon icon;
    std::vector<std::string> buttons;
    bool expected;
};

class ModalDriver
{
public:
    using Step = std::function<void(ModalWindow &)>;

    explicit ModalDriver(DWORD timeoutMs = 15000);
    ~ModalDriver();
    ModalDriver(const ModalDriver &) = delete;
    ModalDriver &operator=(const ModalDriver &) = delete;

    // The next window with this caption runs the step. Steps with the same
    // caption are used in the order they were given.
    ModalDriver &Expect(const std::string &caption, Step step);
    // Shorthand: answer the next message box with this caption by button id.
    ModalDriver &Answer(const std::string &caption, int buttonId);

    const std::vector<SeenWindow> &Seen() const { return m_seen; }
    bool HasStepFor(const std::string &caption) const;
    size_t Pending() const { return m_steps.size(); }

    // Internal: called from the hook's window procedure.
    void OnWindowReady(HWND hWnd);
    void OnWatchdog(HWND hWnd);
    DWORD Timeout() const { return m_timeoutMs; }

private:
    struct Pending_
    {
        std::string caption;
        Step step;
    };
    std::deque<Pending_> m_steps;
    std::vector<SeenWindow> m_seen;
    DWORD m_timeoutMs;
};

// Works the next pop-up menu that the owner window opens, whose loop is
// modal too: once the loop is idle (WM_ENTERIDLE to the owner) it notes the
// menu's items and where it appeared, then posts the keys to the menu window.
class PopupMenuDriver
{
public:
    PopupMenuDriver(HWND hOwner, std::vector<UINT> keys);
    ~PopupMenuDriver();
    PopupMenuDriver(const PopupMenuDriver &) = delete;
    PopupMenuDriver &operator=(const PopupMenuDriver &) = delete;

    bool shown = false;
    std::vector<std::string> items; // "-" for a separator
    std::vector<UINT> ids;
    POINT topLeft = {};

    // Internal: called from the owner's subclass.
    void OnMenuIdle(HWND hMenuWnd);

private:
    HWND m_hOwner;
    std::vector<UINT> m_keys;
};

} // namespace refhost
