#include "ui/HotkeyEdit.h"

namespace mimic {

namespace {

// The edit's own procedure, kept on the window too, so that a message that
// arrives after its field is gone still reaches the edit.
const char kOldProcProp[] = "MimicHotkeyOldProc";

bool IsModifierKey(UINT vk)
{
    switch (vk)
    {
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return true;
    default:
        return false;
    }
}

} // namespace

KHotkeyEdit *KHotkeyEdit::s_pActive = nullptr;

KHotkeyEdit::~KHotkeyEdit()
{
    if (s_pActive == this)
        s_pActive = nullptr;
}

void KHotkeyEdit::Attach(HWND hEdit, HWND hAssigned, HWND hWarning)
{
    Window::Attach(hEdit);
    s_pActive = this;
    m_pfnOldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KHotkeyEdit::HotkeyEditProc)));
    ::SetPropA(hEdit, kOldProcProp, reinterpret_cast<HANDLE>(m_pfnOldProc));
    m_stAssigned.Attach(hAssigned);
    m_stWarning.Attach(hWarning);
}

LRESULT CALLBACK KHotkeyEdit::HotkeyEditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    KHotkeyEdit *self = (s_pActive && s_pActive->GetHwnd() == hWnd) ? s_pActive : nullptr;
    WNDPROC oldProc = self ? self->m_pfnOldProc : reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kOldProcProp));
    if (uMsg == WM_NCDESTROY)
        ::RemovePropA(hWnd, kOldProcProp);
    if (self)
    {
        switch (uMsg)
        {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTCHARS; // 134
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            self->OnHotkeyKey(static_cast<UINT>(wParam), lParam);
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
            return 0;
        default:
            break;
        }
    }
    return oldProc ? ::CallWindowProcA(oldProc, hWnd, uMsg, wParam, lParam)
                   : ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void KHotkeyEdit::OnHotkeyKey(UINT nVirtKey, LPARAM lKeyData)
{
    const bool bAlt = (lKeyData & (1 << 29)) != 0;
    const bool bCtrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
    m_accel.fVirt = static_cast<BYTE>((bShift ? FSHIFT : 0) | (bCtrl ? FCONTROL : 0) | (bAlt ? FALT : 0));
    m_accel.key = static_cast<WORD>(nVirtKey);
    m_accel.cmd = 0;
    const std::string text = FormatHotkeyText(bCtrl, bAlt, bShift, nVirtKey, lKeyData);
    SetWindowTextA(text.c_str());
    ::SendMessageA(m_hWnd, EM_SETSEL, 0, -1);
}

std::string KHotkeyEdit::FormatHotkeyText(bool bCtrl, bool bAlt, bool bShift, UINT nVirtKey, LPARAM lKeyData)
{
    std::string text;
    if (bCtrl)
        text += "Ctrl+";
    if (bAlt)
        text += "Alt+";
    if (bShift)
        text += "Shift+";
    // A modifier pressed alone adds no name: the platform's names for the
    // modifier keys differ between keyboard layouts.
    if (IsModifierKey(nVirtKey))
        return text;
    char name[256] = {};
    if (::GetKeyNameTextA(static_cast<LONG>(lKeyData), name, sizeof(name)) <= 0)
        return text;
    const std::string key = name;
    if (key != "Alt" && key != "Shift" && key != "Ctrl")
        text += key;
    return text;
}

} // namespace mimic
