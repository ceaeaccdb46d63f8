// The COM module: entry points of mimic.dll.
#include <windows.h>
#include <objbase.h>

#include "core/PlugIn.h"
#include "mimic.h"
#include "module/ClassFactory.h"
#include "module/Registration.h"

namespace {

HINSTANCE g_hInstance = nullptr;

const mimic::ClassEntry kClasses[] = {
    {&CLSID_MimicPlugIn, &mimic::CreateMimicPlugIn},
};

mimic::ClassObjectTable &ClassObjects()
{
    static mimic::ClassObjectTable s_table(kClasses, sizeof(kClasses) / sizeof(kClasses[0]));
    return s_table;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*pReserved*/)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hInstance = hInstance;
        ::DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    return ClassObjects().GetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return mimic::CanUnloadNow();
}

STDAPI DllRegisterServer()
{
    return mimic::RegisterServer(g_hInstance);
}

STDAPI DllUnregisterServer()
{
    return mimic::UnregisterServer(g_hInstance);
}
