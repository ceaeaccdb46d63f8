#include "module/Registration.h"

#include <objbase.h>
#include <oleauto.h>
#include <string>

#include "base/Raii.h"
#include "module/Registrar.h"

namespace mimic {

namespace {

// Registration may come from a process that has not started COM (regsvr32
// does not have to): start it for the call, and leave it as found.
class ComScope
{
public:
    ComScope() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    HRESULT m_hr;
};

HRESULT ModulePath(HINSTANCE hModule, std::wstring &path)
{
    wchar_t buffer[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(hModule, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return E_FAIL;
    path.assign(buffer, n);
    return S_OK;
}

// Runs the script's registration or its unregistration.
HRESULT RunScript(HINSTANCE hModule, UINT nScriptId, bool bRegister)
{
    std::wstring path;
    HRESULT hr = ModulePath(hModule, path);
    if (FAILED(hr))
        return hr;

    ComPtr<IRegistrar> registrar;
    hr = ::CoCreateInstance(kClsidRegistrar, nullptr, CLSCTX_INPROC_SERVER, kIidRegistrar, registrar.PutVoid());
    if (FAILED(hr))
        return hr;

    // "Module" goes between single quotes in the script, where a quote is
    // written twice; "Module_Raw" is for the places without quotes.
    std::wstring quoted;
    for (wchar_t c : path)
    {
        quoted += c;
        if (c == L'\'')
            quoted += c;
    }
    // The module runs in its host's process: it has no AppID of its own.
    if (FAILED(hr = registrar->AddReplacement(L"Module", quoted.c_str())) ||
        FAILED(hr = registrar->AddReplacement(L"Module_Raw", path.c_str())) ||
        FAILED(hr = registrar->AddReplacement(L"APPID", L"")))
        return hr;

    return bRegister ? registrar->ResourceRegister(path.c_str(), nScriptId, L"REGISTRY")
                     : registrar->ResourceUnregister(path.c_str(), nScriptId, L"REGISTRY");
}

} // namespace

HRESULT RegisterServer(HINSTANCE hModule, UINT nScriptId)
{
    ComScope com;
    HRESULT hr = RunScript(hModule, nScriptId, true);
    if (FAILED(hr))
        return hr;

    std::wstring path;
    if (FAILED(hr = ModulePath(hModule, path)))
        return hr;
    ComPtr<ITypeLib> typeLib;
    return ::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, typeLib.Put());
}

HRESULT UnregisterServer(HINSTANCE hModule, UINT nScriptId)
{
    ComScope com;
    (void)RunScript(hModule, nScriptId, false);
    return S_OK;
}

} // namespace mimic
