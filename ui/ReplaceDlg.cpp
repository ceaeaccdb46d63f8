#include "ui/ReplaceDlg.h"

#include "ui/resource.h"

namespace mimic {

CReplaceDlg::CReplaceDlg(HWND hParent) : CDialog(IDD_REPLACE_FILE, hParent)
{
    OnCommand(IDC_REPLACE, [this] { EndDialog(IDOK); });
    OnCommand(IDOK, [this] {
        m_bReplaceAll = true;
        EndDialog(IDOK);
    });
}

BOOL CReplaceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Through the dialog manager, so that the focused button also looks like the one Enter presses.
    ::SendMessageA(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_REPLACE)), TRUE);
    return FALSE;
}

} // namespace mimic
