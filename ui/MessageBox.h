// Every message box of the plug-in goes through here, so its texts and
// captions stay exactly as the user is meant to read them.
#pragma once

#include <windows.h>
#include <string>

namespace mimic {

int ShowMessage(HWND hOwner, const char *pszText, const char *pszCaption, UINT uFlags);

// The question before an action's script replaces one in the other folder.
bool ConfirmFolderOverwrite(HWND hOwner);

// A catalogue file that could not be saved; the text names the file and why.
void ReportSaveFailure(HWND hOwner, const std::string &error);

} // namespace mimic
