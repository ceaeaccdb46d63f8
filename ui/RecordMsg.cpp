#include "ui/RecordMsg.h"

#include "library/Settings.h"
#include "ui/resource.h"

namespace mimic {

CRecordMsg::CRecordMsg(IUnknown *pFramework, HWND hParent)
    : CDialog(IDD_RECORD, hParent), m_pFramework(pFramework)
{
    OnCommand(IDOK, [this] { OnYes(); });
}

void CRecordMsg::OnYes()
{
    DWORD dontShow = ::IsDlgButtonChecked(GetSafeHwnd(), IDC_RECORD_DONTSHOW) == BST_CHECKED ? 1 : 0;
    // Without the settings key the answer still stands; only the check box is lost.
    PlugInSettings(m_pFramework).WriteNumber(setting::kDontConfirm, dontShow);
    EndDialog(IDOK);
}

} // namespace mimic
