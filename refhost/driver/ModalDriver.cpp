#include "refhost/driver/ModalDriver.h"

#include <commctrl.h>
#include <cstdio>
#include <set>

#include "base/Raii.h"

namespace refhost {

namespace {

std::function<void(const std::string &)> &FailureHandler()
{
    static std::function<void(const std::string &)> s_handler;
    return s_handler;
}

void Fail(const std::string &what)
{
    if (FailureHandler())
        FailureHandler()(what);
    else
        std::fprintf(stderr, "modal driver: %s\n", what.c_str());
}


const UINT kRunStep = WM_APP + 0x3A1;
const UINT_PTR kWatchdogTimer = 0x3A2;
const UINT_PTR kSubclassId = 0x3A3;

struct ThreadState
{
    mimic::UniqueHHook hHook;
    std::vector<ModalDriver *> drivers; // the newest one answers
    std::set<HWND> tracked;
};
thread_local ThreadState t_state;

std::string WindowText(HWND hWnd)
{
    int len = ::GetWindowTextLengthA(hWnd);
    std::string s(static_cast<size_t>(len > 0 ? len : 0) + 1, '\0');
    int got = ::GetWindowTextA(hWnd, &s[0], static_cast<int>(s.size()));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

std::string WithoutMnemonic(std::string s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == '&' && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return out;
}

bool IsDialogWindow(HWND hWnd)
{
    char cls[16] = {};
    ::GetClassNameA(hWnd, cls, sizeof(cls));
    return std::string(cls) == "#32770";
}

// The newest driver that has a step for the window's caption; else the newest.
ModalDriver *DriverFor(HWND hWnd)
{
    if (t_state.drivers.empty())
        return nullptr;
    const std::string caption = WindowText(hWnd);
    for (auto it = t_state.drivers.rbegin(); it != t_state.drivers.rend(); ++it)
        if ((*it)->HasStepFor(caption))
            return *it;
    return t_state.drivers.back();
}

LRESULT CALLBACK DriverSubclass(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    ModalDriver *driver = t_state.drivers.empty() ? nullptr : t_state.drivers.back();
    switch (msg)
    {
    case kRunStep:
        if (ModalDriver *answering = DriverFor(hWnd))
            answering->OnWindowReady(hWnd);
        return 0;
    case WM_TIMER:
        if (wParam == kWatchdogTimer)
        {
            ::KillTimer(hWnd, kWatchdogTimer);
            if (driver)
                driver->OnWatchdog(hWnd);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hWnd, DriverSubclass, kSubclassId);
        t_state.tracked.erase(hWnd);
        break;
    }
    return ::DefSubclassProc(hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && !t_state.drivers.empty())
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(hWnd) && !t_state.tracked.count(hWnd))
        {
            t_state.tracked.insert(hWnd);
            ::SetWindowSubclass(hWnd, DriverSubclass, kSubclassId, 0);
            // Run the step once the modal loop is pumping, after activation.
            ::PostMessageA(hWnd, kRunStep, 0, 0);
            ::SetTimer(hWnd, kWatchdogTimer, t_state.drivers.back()->Timeout(), nullptr);
        }
    }
    return ::CallNextHookEx(t_state.hHook.get(), code, wParam, lParam);
}

} // namespace

// --- ModalWindow -----------------------------------------------------------

std::function<void(const std::string &)> SetModalFailureHandler(std::function<void(const std::string &)> handler)
{
    std::swap(FailureHandler(), handler);
    return handler;
}

std::string ModalWindow::NoControl(int id) const
{
    return "no control " + std::to_string(id) + " in \"" + Caption() + "\"";
}

std::string ModalWindow::Caption() const
{
    return WindowText(m_hWnd);
}

std::string ModalWindow::MessageText() const
{
    HWND h = Item(0xFFFF);
    return h ? WindowText(h) : std::string();
}

MsgIcon ModalWindow::Icon() const
{
    struct Known
    {
        LPCSTR id;
        MsgIcon icon;
    };
    const Known known[] = {{IDI_WARNING, MsgIcon::Warning},
                           {IDI_ERROR, MsgIcon::Error},
                           {IDI_INFORMATION, MsgIcon::Information},
                           {IDI_QUESTION, MsgIcon::Question}};
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof(cls));
        if (::lstrcmpiA(cls, "Static") != 0)
            continue;
        HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        if (!shown)
            continue;
        for (const Known &k : known)
            if (shown == ::LoadIconA(nullptr, k.id))
                return k.icon;
        return MsgIcon::Other;
    }
    return MsgIcon::None;
}

std::vector<std::string> ModalWindow::Buttons() const
{
    std::vector<std::string> out;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        char cls[16] = {};
        ::GetClassNameA(child, cls, sizeof(cls));
        LONG type = ::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        if (::lstrcmpiA(cls, "Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) &&
            ::IsWindowVisible(child))
            out.push_back(WithoutMnemonic(WindowText(child)));
    }
    return out;
}

namespace {

HWND FindDescendant(HWND parent, const std::string &className, int id)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        char cls[64] = {};
        ::GetClassNameA(child, cls, sizeof(cls));
        if (::lstrcmpiA(cls, className.c_str()) == 0 && (id == -1 || ::GetDlgCtrlID(child) == id))
            return child;
        if (HWND below = FindDescendant(child, className, id))
            return below;
    }
    return nullptr;
}

} // namespace

HWND ModalWindow::FindChild(const std::string &className, int id) const
{
    return FindDescendant(m_hWnd, className, id);
}

bool ModalWindow::Exists(int id) const
{
    return Item(id) != nullptr;
}

std::string ModalWindow::Text(int id) const
{
    HWND h = Item(id);
    if (!h)
        Fail(NoControl(id));
    return h ? WindowText(h) : std::string();
}

bool ModalWindow::IsEnabled(int id) const
{
    HWND h = Item(id);
    if (!h)
        Fail(NoControl(id));
    return h && ::IsWindowEnabled(h);
}

bool ModalWindow::IsChecked(int id) const
{
    HWND h = Item(id);
    if (!h)
        Fail(NoControl(id));
    return h && ::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ModalWindow::SetText(int id, const std::string &text)
{
    HWND h = Item(id);
    if (!h)
    {
        Fail(NoControl(id));
        return;
    }
    ::SetWindowTextA(h, text.c_str());
}

void ModalWindow::Click(int id)
{
    HWND h = Item(id);
    if (!h)
    {
        Fail(NoControl(id));
        return;
    }
    if (!::IsWindowEnabled(h))
        return;
    ::SendMessageA(h, BM_CLICK, 0, 0);
}

void ModalWindow::ClickButton(const std::string &text)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (WithoutMnemonic(WindowText(child)) == text)
        {
            Click(::GetDlgCtrlID(child));
            return;
        }
    }
    Fail("no button \"" + text + "\" in \"" + Caption() + "\"");
}

namespace {

// Holds the modifiers down for the lifetime of the object.
class HeldKeys
{
public:
    HeldKeys(bool ctrl, bool alt, bool shift)
    {
        ::GetKeyboardState(m_saved);
        BYTE keys[256];
        std::copy(m_saved, m_saved + 256, keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        keys[VK_MENU] = keys[VK_LMENU] = alt ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
    ~HeldKeys() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

LPARAM KeyData(UINT vk, bool alt, bool up)
{
    LPARAM data = 1 | (static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16);
    if (alt)
        data |= 1 << 29;
    if (up)
        data |= 3u << 30;
    return data;
}

} // namespace

void ModalWindow::PressKey(int id, UINT vk, bool ctrl, bool alt, bool shift)
{
    HWND h = Item(id);
    if (!h)
    {
        Fail(NoControl(id));
        return;
    }
    ::SetFocus(h);
    HeldKeys held(ctrl, alt, shift);
    ::SendMessageA(h, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyData(vk, alt, false));
    ::SendMessageA(h, alt ? WM_SYSKEYUP : WM_KEYUP, vk, KeyData(vk, alt, true));
}


void ModalWindow::TypeKey(UINT vk, bool ctrl, bool alt, bool shift)
{
    HWND target = ::GetFocus();
    if (!target)
    {
        Fail("nothing has the focus in \"" + Caption() + "\"");
        return;
    }
    HeldKeys held(ctrl, alt, shift);
    const bool sys = alt || vk == VK_F10;
    ::PostMessageA(target, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyData(vk, alt, false));
    ::PostMessageA(target, sys ? WM_SYSKEYUP : WM_KEYUP, vk, KeyData(vk, alt, true));
    // The dialog manager's loop, as the modal loop runs it.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (::IsWindow(m_hWnd) && ::IsDialogMessageA(m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void ModalWindow::End(INT_PTR result)
{
    ::EndDialog(m_hWnd, result);
}

// --- ModalDriver -----------------------------------------------------------

ModalDriver::ModalDriver(DWORD timeoutMs) : m_timeoutMs(timeoutMs)
{
    if (t_state.drivers.empty())
        t_state.hHook.reset(::SetWindowsHookExA(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId()));
    t_state.drivers.push_back(this);
}

ModalDriver::~ModalDriver()
{
    for (const Pending_ &p : m_steps)
        Fail("expected window \"" + p.caption + "\" never appeared");
    if (!t_state.drivers.empty() && t_state.drivers.back() == this)
        t_state.drivers.pop_back();
    if (t_state.drivers.empty())
        t_state.hHook.reset();
}

ModalDriver &ModalDriver::Expect(const std::string &caption, Step step)
{
    m_steps.push_back({caption, std::move(step)});
    return *this;
}

bool ModalDriver::HasStepFor(const std::string &caption) const
{
    for (const Pending_ &p : m_steps)
        if (p.caption == caption)
            return true;
    return false;
}

ModalDriver &ModalDriver::Answer(const std::string &caption, int buttonId)
{
    return Expect(caption, [buttonId](ModalWindow &w) { w.Click(buttonId); });
}

void ModalDriver::OnWindowReady(HWND hWnd)
{
    ModalWindow window(hWnd);
    SeenWindow seen{window.Caption(), window.MessageText(), window.Icon(), window.Buttons(), false};
    for (auto it = m_steps.begin(); it != m_steps.end(); ++it)
    {
        if (it->caption != seen.caption)
            continue;
        Step step = std::move(it->step);
        m_steps.erase(it);
        seen.expected = true;
        m_seen.push_back(seen);
        step(window);
        return;
    }
    m_seen.push_back(seen);
    Fail("unexpected window \"" + seen.caption + "\": " + seen.text);
    window.End(IDCANCEL);
}

void ModalDriver::OnWatchdog(HWND hWnd)
{
    ModalWindow window(hWnd);
    Fail("window \"" + window.Caption() + "\" still open after " + std::to_string(m_timeoutMs) + " ms");
    window.End(IDCANCEL);
}

// --- PopupMenuDriver -------------------------------------------------------

namespace {

LRESULT CALLBACK MenuOwnerSubclass(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto *driver = reinterpret_cast<PopupMenuDriver *>(data);
    if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && !driver->shown)
    {
        // Wine names the menu window; Windows may not.
        HWND hMenuWnd = reinterpret_cast<HWND>(lParam);
        driver->OnMenuIdle(hMenuWnd ? hMenuWnd : ::FindWindowA("#32768", nullptr));
    }
    return ::DefSubclassProc(hWnd, msg, wParam, lParam);
}

} // namespace

PopupMenuDriver::PopupMenuDriver(HWND hOwner, std::vector<UINT> keys) : m_hOwner(hOwner), m_keys(std::move(keys))
{
    ::SetWindowSubclass(m_hOwner, MenuOwnerSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

PopupMenuDriver::~PopupMenuDriver()
{
    ::RemoveWindowSubclass(m_hOwner, MenuOwnerSubclass, kSubclassId);
}

void PopupMenuDriver::OnMenuIdle(HWND hMenuWnd)
{
    shown = true;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
    {
        char text[256] = {};
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof(text);
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mii);
        items.push_back(mii.fType & MFT_SEPARATOR ? "-" : text);
        ids.push_back(mii.wID);
    }
    RECT rc = {};
    ::GetWindowRect(hMenuWnd, &rc);
    topLeft = {rc.left, rc.top};
    for (UINT vk : m_keys)
    {
        ::PostMessageA(hMenuWnd, WM_KEYDOWN, vk, KeyData(vk, false, false));
        ::PostMessageA(hMenuWnd, WM_KEYUP, vk, KeyData(vk, false, true));
    }
}

} // namespace refhost
