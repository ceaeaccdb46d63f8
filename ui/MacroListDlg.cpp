#include "ui/MacroListDlg.h"

#include <cstdlib>

#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "ui/ActionGrid.h"
#include "ui/MessageBox.h"
#include "ui/resource.h"

namespace mimic {

KMacroListDlg::KMacroListDlg(HWND hParent) : KMacroListDlg(hParent, ActionCatalogue::Instance()) {}

KMacroListDlg::KMacroListDlg(HWND hParent, ActionCatalogue &catalogue)
    : CDialog(IDD_PLAYER_SETTINGS, hParent), m_catalogue(catalogue)
{
    KGridCtrl::RegisterClass();
    OnCommandCode(IDC_PS_REPEAT, EN_CHANGE, [this] { CheckRepeat(); });
    OnNotify(IDC_PS_GRID, GCN_SELCHANGED, [this](NMHDR *) {
        TakeOverSelection();
        return 0;
    });
    OnNotify(IDC_PS_GRID, GCN_DBLCLK, [this](NMHDR *) {
        OnOK();
        return 1;
    });
    OnNotify(IDC_PS_GRID, GCN_KEYDOWN, [this](NMHDR *pHdr) {
        ::SendMessageA(Item(IDC_PS_GRID), WM_CHAR, reinterpret_cast<NMGCKEY *>(pHdr)->nVirtKey, 1);
        return 1;
    });
}

KMacroListDlg::~KMacroListDlg()
{
    m_grid.DeleteAllRows();
}

bool KMacroListDlg::DoDataExchange(bool /*bSaveAndValidate*/)
{
    m_hRepeat = Item(IDC_PS_REPEAT);
    m_hSpin = Item(IDC_PS_SPIN);
    m_grid.Attach(Item(IDC_PS_GRID));
    return true;
}

BOOL KMacroListDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The range goes as one packed value: upper bound low, lower bound high.
    ::SendMessageA(m_hSpin, UDM_SETRANGE, 0, MAKELPARAM(999, 1));
    ::SendMessageA(m_hSpin, UDM_SETPOS, 0, MAKELPARAM(1, 0));
    m_pChosen = nullptr;
    m_nRepeat = 1;

    m_cols = AddActionColumns(m_grid, 0, 150);
    // Painting after every row makes a large catalogue take minutes to show.
    ::SendMessageA(Item(IDC_PS_GRID), WM_SETREDRAW, FALSE, 0);
    for (ActionEntry &entry : m_catalogue.Entries())
        AddActionRow(m_grid, m_cols, entry);
    ::SendMessageA(Item(IDC_PS_GRID), WM_SETREDRAW, TRUE, 0);
    ::SetFocus(Item(IDC_PS_GRID));
    ::SendMessageA(Item(IDC_PS_GRID), 0x40F, static_cast<WPARAM>(m_cols.nAction), 0);
    // The platform's default focus: the repeat field, its text selected.
    return TRUE;
}

ActionEntry *KMacroListDlg::FirstSelected() const
{
    auto it = m_grid.begin(GCRS_SELECTED);
    return it != m_grid.end() ? reinterpret_cast<ActionEntry *>(m_grid.GetRowParam(*it)) : nullptr;
}

void KMacroListDlg::TakeOverSelection()
{
    ActionEntry *selected = FirstSelected();
    if (!selected || selected == m_pChosen)
        return;
    m_pChosen = selected;
    ::SendMessageA(m_hSpin, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(selected->nRepeat), 0));
}

void KMacroListDlg::CheckRepeat()
{
    const std::string text = WindowText(m_hRepeat);
    if (text.empty())
    {
        ShowMessage(GetSafeHwnd(), "Please specify an integer value for repeat time.", "Warning",
                    MB_OK | MB_ICONWARNING);
        ::EnableWindow(Item(IDOK), FALSE);
        return;
    }
    // strtoll saturates, so any run of digits above 999 is caught.
    if (std::strtoll(text.c_str(), nullptr, 10) > 999)
        ::SetWindowTextA(m_hRepeat, "999");
    ::EnableWindow(Item(IDOK), TRUE);
}

void KMacroListDlg::OnOK()
{
    m_nRepeat = std::atoi(WindowText(m_hRepeat).c_str());
    if (ActionEntry *selected = FirstSelected())
        m_pChosen = selected;
    EndDialog(IDOK);
}

} // namespace mimic
