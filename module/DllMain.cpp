// The COM module: entry points of mimic.dll.
#include <windows.h>
#include <objbase.h>

#include "module/ModuleLock.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*pReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(hInstance);
    return TRUE;
}

// No class is served yet.
STDAPI DllGetClassObject(REFCLSID /*rclsid*/, REFIID /*riid*/, LPVOID *ppv)
{
    if (ppv)
        *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return mimic::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}
