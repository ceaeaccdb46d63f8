#include "core/Playback.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/ActionCatalogue.h"
#include "library/Settings.h"

namespace mimic {

std::string PlayCommandLine(const std::string &scriptPath, const std::string &file, int nRepeat)
{
    return "runscript -perl {" + scriptPath + "} -1 {" + file + "} " + std::to_string(nRepeat);
}

HRESULT PlayLastMacro(IUnknown *pFramework, BSTR *ppFiles)
{
    std::string list = ppFiles ? NarrowFromBstr(*ppFiles) : std::string();
    // No file name holds a NUL, and a host that builds the list as C text
    // means it to end there: the list ends at its first NUL, as our registry
    // texts do, so no command line is cut short at it.
    list.resize(std::min(list.find('\0'), list.size()));
    std::vector<std::string> pieces;
    baseutil::split(pieces, list, '\n');
    // A file list from a text box may end its lines with CR LF; and an empty
    // line names no file, so it plays nothing.
    std::vector<std::string> files;
    for (std::string &piece : pieces)
    {
        if (!piece.empty() && piece.back() == '\r')
            piece.pop_back();
        if (!piece.empty())
            files.push_back(piece);
    }
    if (files.empty())
        return S_FALSE;

    const LastAction last = ReadLastAction(pFramework);
    if (last.strPath.empty())
        return S_OK;
    for (const std::string &file : files)
        (void)hostapi::RunCommand(pFramework, PlayCommandLine(last.strPath, file, last.nRepeat).c_str(), "");
    return S_OK;
}

HRESULT GetTaskPlayInfoFromCmdId(ActionCatalogue &catalogue, UINT nCmdId, long *nTimes, BSTR *pFileName)
{
    if (!nTimes || !pFileName)
        return E_POINTER;
    const ActionEntry *entry = catalogue.FindByCommandId(static_cast<int>(nCmdId));
    if (!entry)
        return S_FALSE;
    BSTR path = BstrFromNarrow(entry->strPath);
    if (!path)
        return E_OUTOFMEMORY;
    *pFileName = path;
    *nTimes = entry->nRepeat;
    return S_OK;
}

HRESULT GetCommandIdFromAccel(ActionCatalogue &catalogue, const char *pszAccel, int *pCmdId)
{
    if (!pCmdId)
        return E_POINTER;
    // No text is no hotkey asked for; only an empty one means "without a hotkey".
    const ActionEntry *entry = pszAccel ? catalogue.FindByAccel(pszAccel) : nullptr;
    if (!entry)
        return S_FALSE;
    *pCmdId = entry->nCmdId;
    return S_OK;
}

} // namespace mimic
