// Registering the module: its class through registry script 101 (resource
// type "REGISTRY"), run by the platform's registrar, and its type library,
// resource TYPELIB 1 of the same file.
#pragma once

#include <windows.h>

namespace mimic {

constexpr UINT kRegistryScriptId = 101;

// DllRegisterServer: the script first, then the type library; S_OK or the
// first failure. A failing script leaves the type library unregistered.
HRESULT RegisterServer(HINSTANCE hModule, UINT nScriptId = kRegistryScriptId);
// DllUnregisterServer: the script's unregistration only; the type library
// stays registered. Always S_OK.
HRESULT UnregisterServer(HINSTANCE hModule, UINT nScriptId = kRegistryScriptId);

} // namespace mimic
