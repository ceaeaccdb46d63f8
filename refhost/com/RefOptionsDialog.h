// The reference host's Options dialog: it carries one plug-in preferences
// page as the host does, a child window that the plug-in creates into it,
// with the page's title above and the host's buttons below. The page tells
// it about changes (PSM_CHANGED, PSM_UNCHANGED); Apply and OK send PSN_APPLY,
// Restore Defaults the host's own restore notification.
#pragma once

#include <windows.h>
#include <functional>

namespace refhost {

class RefOptionsDialog
{
public:
    // Makes the page's window as a child of the dialog; null when there is none.
    using PageFactory = std::function<HWND(HWND hParent)>;

    static constexpr const char *kCaption = "Options";
    static constexpr int kApplyId = 0x3021; // the id property sheets give their Apply button
    static constexpr int kRestoreId = 0x3030;
    static constexpr int kTitleId = 0x3031;
    // Sent with control id 0: the page is to show its default settings.
    static constexpr UINT kRestoreDefaultsCode = static_cast<UINT>(-290);

    explicit RefOptionsDialog(PageFactory factory);
    RefOptionsDialog(const RefOptionsDialog &) = delete;
    RefOptionsDialog &operator=(const RefOptionsDialog &) = delete;

    // IDOK once the page took OK's apply, IDCANCEL otherwise.
    INT_PTR DoModal(HWND hOwner = nullptr);

    HWND Handle() const { return m_hWnd; }
    HWND Page() const { return m_hPage; }
    // Whether the page reported changes that no apply has taken yet.
    bool Modified() const { return m_bModified; }
    // How many applies the page has refused.
    int RefusedApplies() const { return m_nRefused; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    bool Apply();
    void RestoreDefaults();
    void SetModified(bool bModified);

    PageFactory m_factory;
    HWND m_hWnd = nullptr;
    HWND m_hPage = nullptr;
    bool m_bModified = false;
    int m_nRefused = 0;
};

} // namespace refhost
