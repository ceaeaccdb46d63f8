// The hotkey capture field: an edit that takes no typed text; every key
// pressed replaces its text with the name of the key combination.
#pragma once

#include <windows.h>
#include <string>

#include "base/Window.h"

namespace mimic {

class KHotkeyEdit : public Window
{
public:
    KHotkeyEdit() = default;
    ~KHotkeyEdit() override;

    // Takes over the edit's window procedure; the status and warning lines
    // are the dialog's, shown and hidden by it.
    void Attach(HWND hEdit, HWND hAssigned, HWND hWarning);

    static LRESULT CALLBACK HotkeyEditProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnHotkeyKey(UINT nVirtKey, LPARAM lKeyData);
    // "Ctrl+", "Alt+", "Shift+" as held, then the platform's name of the key.
    static std::string FormatHotkeyText(bool bCtrl, bool bAlt, bool bShift, UINT nVirtKey, LPARAM lKeyData);

    // The combination last pressed, in the accelerator-table layout.
    const ACCEL &Accel() const { return m_accel; }
    Window &AssignedLine() { return m_stAssigned; }
    Window &WarningLine() { return m_stWarning; }
    // The text the dialog exchanges with the field.
    const std::string &StoredText() const { return m_strText; }
    void StoreText(const std::string &text) { m_strText = text; }

private:
    WNDPROC m_pfnOldProc = nullptr;
    ACCEL m_accel = {};
    Window m_stAssigned;
    Window m_stWarning;
    std::string m_strText;

    static KHotkeyEdit *s_pActive; // the field the replacement procedure serves
};

} // namespace mimic
