// What the host asks when it plays actions: which command a hotkey means,
// which script and count a command plays, and the play commands for the
// last action over a list of files.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <string>

namespace mimic {

class ActionCatalogue;

// "runscript -perl {script} -1 {file} count"
std::string PlayCommandLine(const std::string &scriptPath, const std::string &file, int nRepeat);

// One play command per file of the line-feed separated list, for the last
// recorded or chosen action. S_FALSE when the list names no file.
HRESULT PlayLastMacro(IUnknown *pFramework, BSTR *ppFiles);

HRESULT GetTaskPlayInfoFromCmdId(ActionCatalogue &catalogue, UINT nCmdId, long *nTimes, BSTR *pFileName);
// The hotkey text is narrow, whatever the type library says.
HRESULT GetCommandIdFromAccel(ActionCatalogue &catalogue, const char *pszAccel, int *pCmdId);

} // namespace mimic
