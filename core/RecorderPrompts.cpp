#include "core/RecorderPrompts.h"

#include "library/ActionEntry.h"
#include "ui/MessageBox.h"
#include "ui/RecordMsg.h"
#include "ui/TaskProperties.h"

namespace mimic {

bool DialogPrompts::ConfirmTemporary(HWND hParent)
{
    CRecordMsg confirm(m_pFramework, hParent);
    return confirm.DoModal() == IDOK;
}

bool DialogPrompts::SettleAction(HWND hParent, ActionEntry &entry)
{
    CTaskProperties properties(m_pFramework, hParent, m_catalogue);
    properties.SetInitialEntry(entry);
    if (properties.DoModal() != IDOK)
        return false;
    entry = properties.Entry();
    return true;
}

bool DialogPrompts::ConfirmOverwrite(HWND hOwner)
{
    return ShowMessage(hOwner, "Specified file exists. Do you want to overwrite it?", "Warning",
                       MB_YESNO | MB_ICONWARNING) == IDYES;
}

void DialogPrompts::ReportUntrackedDocument(HWND hOwner)
{
    ShowMessage(hOwner, "PlugIn not registered!", "", MB_OK);
}

void DialogPrompts::ReportSaveFailure(HWND hOwner, const std::string &error)
{
    mimic::ReportSaveFailure(hOwner, error);
}

} // namespace mimic
