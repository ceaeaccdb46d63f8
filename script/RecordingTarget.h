// What a document sink reports to: the recording it takes part in. The
// recorder implements it; the sink only knows this much of it, so the script
// layer never reaches up into the plug-in core.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace mimic {

class IRecordingTarget
{
public:
    // One command run in the document with that cookie.
    virtual void RecordEvent(UINT nCookie, const char *pszCommand, const char *pszParams) = 0;
    // The document's open notification arrived: its open arguments are known.
    virtual void WriteDocumentEvent(UINT nCookie) = 0;
    // The host's document object for a cookie; false when the host knows none.
    virtual bool GetDocumentObject(UINT nCookie, REFIID riid, void **ppv) = 0;

protected:
    ~IRecordingTarget() = default;
};

} // namespace mimic
