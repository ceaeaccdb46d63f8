// The plug-in object the host creates from this module: the host plug-in
// protocol, the IMimic dual interface, the host's notifications and the
// Preferences page request.
#pragma once

#include <unknwn.h>

namespace mimic {

// Makes a MimicPlugIn. With an outer unknown the object is aggregated: riid
// must then be IID_IUnknown, and what comes back is the inner unknown.
HRESULT CreateMimicPlugIn(IUnknown *pOuter, REFIID riid, void **ppv);

} // namespace mimic
