// Preferences: the plug-in's page among the host's own options. It edits the
// temporary-recording options and the two action folder settings, which it
// stores in the plug-in's settings key when the host applies the page.
#pragma once

#include <memory>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <unknwn.h>
#include <string>
#include <vector>

#include "base/Window.h"
#include "host/baseutil.h"
#include "ui/Dialog.h"

namespace mimic {

class ActionCatalogue;

// A page that lives in a dialog of someone else's: created from its own
// PROPSHEETPAGE data as a child of that dialog, which it tells about
// changes (PSM_CHANGED) and which tells it when to apply (PSN_APPLY).
class CPropertyPage
{
public:
    explicit CPropertyPage(UINT nTemplateId);
    virtual ~CPropertyPage();
    CPropertyPage(const CPropertyPage &) = delete;
    CPropertyPage &operator=(const CPropertyPage &) = delete;

    // Creates the page's window as a modeless child of hParent the way a
    // property sheet would: the creation callback first when the data asks
    // for one, then the in-memory template or the template resource. Null
    // when the callback refuses or the window cannot be made. The window
    // goes with its parent; the page object stays the caller's.
    static HWND CreatePageWindow(CPropertyPage *pPage, HWND hParent);
    // The same for a page that its window owns: the page lives until the
    // window is destroyed, and keeps the module loaded until then, whoever
    // made it and whenever they let go.
    static HWND CreateOwnedPageWindow(std::unique_ptr<CPropertyPage> page, HWND hParent);

    HWND GetSafeHwnd() const { return m_hWnd; }

    // The creation data; lParam points back at the page.
    PROPSHEETPAGEA m_psp;

protected:
    virtual BOOL OnInitDialog();
    // The page's own part of applying; false keeps the host from taking the values.
    virtual bool OnApply();
    // Return true when handled; lResult is the notification's answer.
    virtual bool OnCommand(int nId, int nCode, HWND hCtl);
    virtual bool OnNotify(NMHDR *pHdr, LRESULT &lResult);

    // Tells the dialog the page lives in that there are changes to apply.
    void SetModified(bool bChanged = true);
    HWND Item(int nId) const { return ::GetDlgItem(m_hWnd, nId); }

private:
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    template <typename T>
    friend INT_PTR RouteDialogMessage(HWND, UINT, WPARAM, LPARAM, T *(*)(LPARAM));

    HWND m_hWnd = nullptr;
    bool m_bOwnedByWindow = false;
};

// A drop-down list as the page works it.
class KComboBox : public Window
{
public:
    int InsertString(int nIndex, const char *pszText) const;
    // The first item after nStartAfter, wrapping round, whose text begins
    // with the text in any letter case; CB_ERR when none.
    int FindString(int nStartAfter, const char *pszText) const;
    int GetCurSel() const;
    void SetCurSel(int nIndex) const; // CB_ERR selects nothing
    std::string GetLBText(int nIndex) const;
};

class CMimicProperty : public CPropertyPage
{
public:
    // The host's notification that the page is to show the default settings.
    static constexpr UINT kRestoreDefaultsCode = static_cast<UINT>(-290);

    CMimicProperty(IUnknown *pFramework, HWND hOwner);
    CMimicProperty(IUnknown *pFramework, HWND hOwner, ActionCatalogue &catalogue);

    void BrowseActionFolder();
    void ShowMacroMenu();
    void InsertMacro(UINT nId);
    void RestoreDefaults();

    std::vector<std::string> m_macros;
    HWND m_hOwner;
    IUnknown *m_pFramework; // not owned, no reference taken
    KComboBox m_cbLocal;
    std::string m_strGlobalPath;

protected:
    BOOL OnInitDialog() override;
    bool OnApply() override;
    bool OnCommand(int nId, int nCode, HWND hCtl) override;
    bool OnNotify(NMHDR *pHdr, LRESULT &lResult) override;

private:
    void OnGlobalPathChanged();
    void SelectLocalFolder(const std::string &setting);

    ActionCatalogue &m_catalogue;
    std::string m_strStoredGlobalPath; // the setting as read or last applied
};

} // namespace mimic
