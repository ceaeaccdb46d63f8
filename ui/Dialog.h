// The dialog ground: a modal dialog built from a template in the plug-in's
// own resources, with a data-exchange step and command and notification
// handlers bound per control.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "host/baseutil.h"

namespace mimic {

// A control's text, read through the host's library as every dialog reads it.
inline std::string WindowText(HWND hWnd)
{
    return baseutil::KWindow(hWnd).GetWindowTextA().c_str();
}

// The module that holds the plug-in's resources: the one this code is linked
// into, whoever calls it.
HINSTANCE ModuleInstance();

// The one dialog procedure behind every dialog and page class: it keeps the
// object on the window at WM_INITDIALOG (fromInit finds it in the parameter),
// ignores the messages that come before, and lets no exception cross into
// the window manager.
template <typename T>
INT_PTR RouteDialogMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, T *(*fromInit)(LPARAM))
{
    T *self = nullptr;
    if (uMsg == WM_INITDIALOG)
    {
        self = fromInit(lParam);
        if (self)
            self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    else
        self = reinterpret_cast<T *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!self)
        return FALSE;
    try
    {
        INT_PTR result = self->HandleMessage(uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY)
            self->m_hWnd = nullptr;
        return result;
    }
    catch (...)
    {
        return FALSE;
    }
}

class CDialog
{
public:
    CDialog(UINT nTemplateId, HWND hParent);
    virtual ~CDialog();
    CDialog(const CDialog &) = delete;
    CDialog &operator=(const CDialog &) = delete;

    // Runs the dialog modally over the parent; IDOK, IDCANCEL or what EndDialog gave.
    INT_PTR DoModal();
    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // bSaveAndValidate true: controls to members, validating; false: members
    // to controls. Returns false when a value is refused and the dialog stays.
    virtual bool DoDataExchange(bool bSaveAndValidate);
    bool UpdateData(bool bSaveAndValidate);

    // Return TRUE to let the platform set the focus, FALSE after setting it yourself.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Messages no handler took; return true when handled, with the result in lResult.
    virtual bool OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, INT_PTR &lResult);

    // Handlers, bound in the derived class's constructor.
    void OnCommand(int nId, std::function<void()> handler) { OnCommandCode(nId, BN_CLICKED, std::move(handler)); }
    void OnCommandCode(int nId, int nCode, std::function<void()> handler);
    void OnNotify(int nId, UINT nCode, std::function<LRESULT(NMHDR *)> handler);

    void EndDialog(INT_PTR nResult);
    HWND Item(int nId) const { return ::GetDlgItem(m_hWnd, nId); }

    HWND m_hParent;

private:
    template <typename T>
    friend INT_PTR RouteDialogMessage(HWND, UINT, WPARAM, LPARAM, T *(*)(LPARAM));
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

    UINT m_nTemplateId;
    HWND m_hWnd = nullptr;
    std::map<std::pair<int, int>, std::function<void()>> m_commands;
    std::map<std::pair<int, UINT>, std::function<LRESULT(NMHDR *)>> m_notifications;
};

} // namespace mimic
