// The COM module: entry points of mimic.dll.
#include <windows.h>
#include <objbase.h>

namespace {
HINSTANCE g_hModule = nullptr;
volatile LONG g_nLocks = 0;
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*pReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hModule = hInstance;
        ::DisableThreadLibraryCalls(hInstance);
    }
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
    return g_nLocks == 0 ? S_OK : S_FALSE;
}
