#include "ui/MessageBox.h"

namespace mimic {

int ShowMessage(HWND hOwner, const char *pszText, const char *pszCaption, UINT uFlags)
{
    // An owner from another thread or one already destroyed would leave the
    // box without a parent to disable; treat it as no owner at all.
    if (hOwner && !::IsWindow(hOwner))
        hOwner = nullptr;
    return ::MessageBoxA(hOwner, pszText ? pszText : "", pszCaption ? pszCaption : "", uFlags);
}

bool ConfirmFolderOverwrite(HWND hOwner)
{
    return ShowMessage(hOwner, "File already exists in the local/global folder.\nDo you want to overwrite it?",
                       "Warning", MB_YESNO | MB_ICONWARNING) == IDYES;
}

void ReportSaveFailure(HWND hOwner, const std::string &error)
{
    ShowMessage(hOwner, error.c_str(), "NEXO Action Recorder/Player", MB_OK | MB_ICONERROR);
}

} // namespace mimic
