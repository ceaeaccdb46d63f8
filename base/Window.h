// A child window the plug-in's own code shows, hides and labels: a field or a
// line of text in one of its dialogs. Reading a window's text goes through
// the host's library, which hands it over in its own string type.
#pragma once

#include <windows.h>

namespace mimic {

class Window
{
public:
    Window() = default;
    explicit Window(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~Window() = default;

    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND GetHwnd() const { return m_hWnd; }
    void SetWindowTextA(const char *pszText) const { ::SetWindowTextA(m_hWnd, pszText); }
    void ShowWindow(int nCmdShow) const { ::ShowWindow(m_hWnd, nCmdShow); }

protected:
    HWND m_hWnd = nullptr;
};

} // namespace mimic
