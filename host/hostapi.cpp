#include "host/hostapi.h"

#include "base/Raii.h"
#include "base/Text.h"

using mimic::ComPtr;
using mimic::UniqueBstr;

namespace hostapi {

namespace {

ComPtr<IHostFramework> Framework(IUnknown *pFramework)
{
    ComPtr<IHostFramework> fw;
    if (pFramework)
        pFramework->QueryInterface(IID_IHostFramework, fw.PutVoid());
    return fw;
}

} // namespace

HKEY GetPlugInRegKey(IUnknown *pFramework, REFCLSID rclsidPlugIn)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    if (!fw)
        return nullptr;
    UniqueBstr path;
    if (FAILED(fw->GetPlugInSettingsKey(rclsidPlugIn, path.put())) || !path.get())
        return nullptr;
    std::string subKey = mimic::NarrowFromBstr(path.get());
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

HRESULT ConnectOpenPlugIn(IUnknown *pFramework, bool bCreate, REFCLSID rclsidPlugIn, REFIID riid,
                          void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    ComPtr<IHostFramework> fw = Framework(pFramework);
    if (!fw)
        return E_NOINTERFACE;
    // Only an S_OK with an object hands one out; anything else is let go.
    ComPtr<IUnknown> plugIn;
    HRESULT hr = fw->ConnectOpenPlugIn(bCreate ? TRUE : FALSE, rclsidPlugIn, riid, plugIn.Put());
    if (hr == S_OK && !plugIn)
        hr = S_FALSE;
    if (hr == S_OK)
        *ppv = plugIn.Detach();
    return hr;
}

KFString GetInstallDir(IUnknown *pFramework)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    UniqueBstr dir;
    if (!fw || FAILED(fw->GetInstallDir(dir.put())))
        return KFString();
    return KFString(mimic::NarrowFromBstr(dir.get()));
}

KFString KConfig::GetString(int nIndex) const
{
    ComPtr<IHostFramework> fw = Framework(m_pFramework);
    UniqueBstr value;
    if (!fw || FAILED(fw->GetConfigString(nIndex, value.put())))
        return KFString();
    return KFString(mimic::NarrowFromBstr(value.get()));
}

KConfig GetSharedConfig(IUnknown *pFramework)
{
    return KConfig(pFramework);
}

HRESULT RunCommand(IUnknown *pFramework, const char *pszCommandLine, const char *pszExtra)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    if (!fw)
        return E_NOINTERFACE;
    UniqueBstr line(mimic::BstrFromNarrow(pszCommandLine));
    UniqueBstr extra(mimic::BstrFromNarrow(pszExtra));
    if (!line.get() || !extra.get())
        return E_OUTOFMEMORY;
    return fw->RunCommand(line.get(), extra.get());
}

HRESULT RegisterCommandSink(IUnknown *pFramework, UINT nCookie, IPlugInCommandSink *pSink)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    return fw ? fw->RegisterCommandSink(nCookie, pSink) : E_NOINTERFACE;
}

HRESULT UnregisterCommandSink(IUnknown *pFramework, UINT nCookie)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    return fw ? fw->UnregisterCommandSink(nCookie) : E_NOINTERFACE;
}

HRESULT KPlugInSink::Register(IUnknown *pFramework, IPlugIn *pPlugIn)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    return fw ? fw->RegisterPlugInSink(m_clsidPlugIn, m_clsidSecond, m_iidEvents, pPlugIn)
              : E_NOINTERFACE;
}

HRESULT KPlugInSink::Unregister(IUnknown *pFramework)
{
    ComPtr<IHostFramework> fw = Framework(pFramework);
    return fw ? fw->UnregisterPlugInSink(m_clsidPlugIn, m_clsidSecond, m_iidEvents) : E_NOINTERFACE;
}

bool ProgIDFromCLSID(REFCLSID rclsid, KFString &progId)
{
    mimic::UniqueCoTaskMem<LPOLESTR> text;
    if (FAILED(::ProgIDFromCLSID(rclsid, text.put())) || !text)
    {
        progId = KFString();
        return false;
    }
    progId = KFString(mimic::NarrowFromWide(text.get()));
    return true;
}

} // namespace hostapi
