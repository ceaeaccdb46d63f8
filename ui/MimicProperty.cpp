#include "ui/MimicProperty.h"

#include "base/ModuleLock.h"
#include "base/Raii.h"
#include "library/ActionCatalogue.h"
#include "library/Settings.h"
#include "ui/Dialog.h"
#include "ui/MessageBox.h"
#include "ui/resource.h"

namespace mimic {

namespace {

using setting::kDefaultGlobalPath;
using setting::kDesignFolder;
using setting::kDontConfirm;
using setting::kGlobalPath;
using setting::kLocalPath;
using setting::kRecordTemporary;
using setting::kWorkspaceFolder;

const char kSeparator[] = "separator";

} // namespace

// --- CPropertyPage ---------------------------------------------------------

CPropertyPage::CPropertyPage(UINT nTemplateId) : m_psp()
{
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = ModuleInstance();
    m_psp.pszTemplate = MAKEINTRESOURCEA(nTemplateId);
    m_psp.pfnDlgProc = PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

CPropertyPage::~CPropertyPage() = default;

HWND CPropertyPage::CreatePageWindow(CPropertyPage *pPage, HWND hParent)
{
    if (!pPage)
        return nullptr;
    PROPSHEETPAGEA &psp = pPage->m_psp;
    if ((psp.dwFlags & PSP_USECALLBACK) && psp.pfnCallback && !psp.pfnCallback(nullptr, PSPCB_CREATE, &psp))
        return nullptr;
    const LPARAM param = reinterpret_cast<LPARAM>(&psp);
    if (psp.dwFlags & PSP_DLGINDIRECT)
        return ::CreateDialogIndirectParamA(psp.hInstance, psp.pResource, hParent, psp.pfnDlgProc, param);
    return ::CreateDialogParamA(psp.hInstance, psp.pszTemplate, hParent, psp.pfnDlgProc, param);
}

HWND CPropertyPage::CreateOwnedPageWindow(std::unique_ptr<CPropertyPage> page, HWND hParent)
{
    if (!page)
        return nullptr;
    page->m_bOwnedByWindow = true;
    ModuleLock();
    HWND hWnd = CreatePageWindow(page.get(), hParent);
    if (!hWnd)
    {
        // No window was made, so none will destroy the page.
        ModuleUnlock();
        return nullptr;
    }
    page.release();
    return hWnd;
}

BOOL CPropertyPage::OnInitDialog()
{
    return TRUE;
}

bool CPropertyPage::OnApply()
{
    return true;
}

bool CPropertyPage::OnCommand(int, int, HWND)
{
    return false;
}

bool CPropertyPage::OnNotify(NMHDR *, LRESULT &)
{
    return false;
}

void CPropertyPage::SetModified(bool bChanged)
{
    HWND hParent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (hParent)
        ::SendMessageA(hParent, bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CPropertyPage *owned = nullptr;
    if (uMsg == WM_NCDESTROY)
    {
        owned = reinterpret_cast<CPropertyPage *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
        if (owned && !owned->m_bOwnedByWindow)
            owned = nullptr;
    }
    // The dialog's parameter is the creation data, as a property sheet passes it.
    const INT_PTR result = RouteDialogMessage<CPropertyPage>(hWnd, uMsg, wParam, lParam, [](LPARAM param) {
        const PROPSHEETPAGEA *psp = reinterpret_cast<const PROPSHEETPAGEA *>(param);
        return psp ? reinterpret_cast<CPropertyPage *>(psp->lParam) : nullptr;
    });
    if (owned)
    {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        delete owned;
        ModuleUnlock();
    }
    return result;
}

INT_PTR CPropertyPage::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
    {
        NMHDR *hdr = reinterpret_cast<NMHDR *>(lParam);
        LRESULT result = 0;
        if (hdr->code == static_cast<UINT>(PSN_APPLY))
            result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        else if (!OnNotify(hdr, result))
            return FALSE;
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// --- KComboBox -------------------------------------------------------------

int KComboBox::InsertString(int nIndex, const char *pszText) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                           reinterpret_cast<LPARAM>(pszText)));
}

int KComboBox::FindString(int nStartAfter, const char *pszText) const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_FINDSTRING, static_cast<WPARAM>(nStartAfter),
                                           reinterpret_cast<LPARAM>(pszText)));
}

int KComboBox::GetCurSel() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0));
}

void KComboBox::SetCurSel(int nIndex) const
{
    ::SendMessageA(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
}

std::string KComboBox::GetLBText(int nIndex) const
{
    const LRESULT len = ::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (len == CB_ERR)
        return std::string();
    std::string text(static_cast<size_t>(len) + 1, '\0');
    const LRESULT got =
        ::SendMessageA(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

// --- CMimicProperty --------------------------------------------------------

CMimicProperty::CMimicProperty(IUnknown *pFramework, HWND hOwner)
    : CMimicProperty(pFramework, hOwner, ActionCatalogue::Instance())
{
}

CMimicProperty::CMimicProperty(IUnknown *pFramework, HWND hOwner, ActionCatalogue &catalogue)
    : CPropertyPage(IDD_MIMIC_PROPERTY), m_hOwner(hOwner), m_pFramework(pFramework), m_catalogue(catalogue)
{
}

BOOL CMimicProperty::OnInitDialog()
{
    m_macros.push_back("Orvalis folder: $(VANTREL)");
    m_macros.push_back("Designs folder: $(DESIGNS)");

    m_cbLocal.Attach(Item(IDC_MP_LOCAL));
    m_cbLocal.InsertString(0, kWorkspaceFolder);
    m_cbLocal.InsertString(1, kDesignFolder);
    m_cbLocal.SetCurSel(0);

    const PlugInSettings settings(m_pFramework);
    if (!settings.IsOpen())
        return TRUE;

    HWND hPage = GetSafeHwnd();
    for (auto [nId, pszName] : {std::pair<int, const char *>{IDC_MP_TEMPORARY, kRecordTemporary},
                                {IDC_MP_NOCONFIRM, kDontConfirm}})
    {
        DWORD value = 0;
        ::CheckDlgButton(hPage, nId, settings.ReadNumber(pszName, value) && value ? BST_CHECKED : BST_UNCHECKED);
    }
    SelectLocalFolder(settings.LocalFolder());

    const std::string global = settings.GlobalFolder();
    // Known before the edit reports its change, so filling it marks nothing modified.
    m_strGlobalPath = global;
    m_strStoredGlobalPath = global;
    ::SetDlgItemTextA(hPage, IDC_MP_GLOBAL, global.c_str());
    return TRUE;
}

void CMimicProperty::SelectLocalFolder(const std::string &setting)
{
    // The search begins after item 0 and wraps, so a prefix that both items
    // share picks the design folder.
    m_cbLocal.SetCurSel(m_cbLocal.FindString(0, setting.c_str()));
}

bool CMimicProperty::OnCommand(int nId, int nCode, HWND hCtl)
{
    // Commands of the macro menu: no control, no notification code.
    if (!hCtl && nCode == 0 && nId >= 0 && nId <= 3)
    {
        InsertMacro(static_cast<UINT>(nId));
        return true;
    }
    switch (nId)
    {
    case IDC_MP_TEMPORARY:
    case IDC_MP_NOCONFIRM:
        if (nCode != BN_CLICKED)
            return false;
        SetModified();
        return true;
    case IDC_MP_LOCAL:
        if (nCode != CBN_SELCHANGE)
            return false;
        SetModified();
        return true;
    case IDC_MP_GLOBAL:
        if (nCode != EN_CHANGE)
            return false;
        OnGlobalPathChanged();
        return true;
    case IDC_MP_BROWSE:
        if (nCode != BN_CLICKED)
            return false;
        BrowseActionFolder();
        return true;
    case IDC_MP_MACRO:
        if (nCode != BN_CLICKED)
            return false;
        ShowMacroMenu();
        return true;
    default:
        return false;
    }
}

bool CMimicProperty::OnNotify(NMHDR *pHdr, LRESULT &lResult)
{
    if (pHdr->idFrom != 0 || pHdr->code != kRestoreDefaultsCode)
        return false;
    RestoreDefaults();
    lResult = 0;
    return true;
}

void CMimicProperty::OnGlobalPathChanged()
{
    const std::string text = WindowText(Item(IDC_MP_GLOBAL));
    if (text == m_strGlobalPath)
        return;
    SetModified();
    m_strGlobalPath = text;
}

bool CMimicProperty::OnApply()
{
    HWND hPage = GetSafeHwnd();
    // A folder the user typed must leave a path the platform can open; one
    // left as it was read is stored back as it was, whatever its length.
    const std::string global = WindowText(Item(IDC_MP_GLOBAL));
    if (global != m_strStoredGlobalPath && global.size() >= MAX_PATH)
    {
        ShowMessage(hPage,
                    "The folder for global actions is too long: a folder has at most 259 characters. Choose a "
                    "shorter one.",
                    "Warning", MB_OK | MB_ICONWARNING);
        return false;
    }
    PlugInSettings settings(m_pFramework);
    if (!settings.IsOpen())
        return false;
    settings.WriteNumber(kRecordTemporary, ::IsDlgButtonChecked(hPage, IDC_MP_TEMPORARY) == BST_CHECKED ? 1 : 0);
    settings.WriteNumber(kDontConfirm, ::IsDlgButtonChecked(hPage, IDC_MP_NOCONFIRM) == BST_CHECKED ? 1 : 0);
    // Nothing is selected only when the stored setting named neither choice;
    // the user has chosen nothing then, so that setting stays as it was.
    const int nLocal = m_cbLocal.GetCurSel();
    if (nLocal != CB_ERR)
        settings.WriteText(kLocalPath, m_cbLocal.GetLBText(nLocal));
    settings.WriteText(kGlobalPath, global);
    settings.Close();
    m_strStoredGlobalPath = global;

    m_catalogue.Load();
    return CPropertyPage::OnApply();
}

void CMimicProperty::BrowseActionFolder()
{
    const std::string start = m_catalogue.GetGlobalPath();
    std::string chosen;
    if (baseutil::BrowseFolders(m_hOwner, chosen, "Browse for global action folder:", start.c_str(), false) &&
        !chosen.empty())
        ::SetDlgItemTextA(GetSafeHwnd(), IDC_MP_GLOBAL, chosen.c_str());
}

void CMimicProperty::ShowMacroMenu()
{
    if (m_macros.empty())
        return;
    UniqueHMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    UINT nId = 1;
    for (const std::string &macro : m_macros)
    {
        if (macro == kSeparator)
            ::AppendMenuA(menu.get(), MF_SEPARATOR, nId, nullptr);
        else
            ::AppendMenuA(menu.get(), MF_STRING, nId, macro.c_str());
        ++nId;
    }
    RECT rc = {};
    ::GetWindowRect(Item(IDC_MP_MACRO), &rc);
    ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, rc.right, rc.top, 0, GetSafeHwnd(),
                     nullptr);
}

void CMimicProperty::InsertMacro(UINT nId)
{
    if (nId < 1 || nId > m_macros.size())
        return;
    const std::string &macro = m_macros[nId - 1];
    const size_t dollar = macro.find('$');
    if (dollar == std::string::npos)
        return;
    HWND hEdit = Item(IDC_MP_GLOBAL);
    const std::string text = WindowText(hEdit) + macro.substr(dollar);
    ::SetWindowTextA(hEdit, text.c_str());
}

void CMimicProperty::RestoreDefaults()
{
    SelectLocalFolder(kWorkspaceFolder);
    HWND hPage = GetSafeHwnd();
    ::SetDlgItemTextA(hPage, IDC_MP_GLOBAL, kDefaultGlobalPath);
    ::CheckDlgButton(hPage, IDC_MP_TEMPORARY, BST_UNCHECKED);
    ::CheckDlgButton(hPage, IDC_MP_NOCONFIRM, BST_UNCHECKED);
}

} // namespace mimic
