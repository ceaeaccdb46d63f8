#include "host/ComTypeInfoHolder.h"

#include <oleauto.h>

namespace {

// Type library calls want the module's path in wide characters.
bool ModulePath(HINSTANCE hModule, wchar_t (&path)[MAX_PATH])
{
    DWORD n = ::GetModuleFileNameW(hModule, path, MAX_PATH);
    return n != 0 && n < MAX_PATH;
}

} // namespace

KComTypeInfoHolder::KComTypeInfoHolder(REFGUID libid, WORD wMajor, WORD wMinor, REFIID riid)
    : m_libid(libid), m_wMajor(wMajor), m_wMinor(wMinor), m_iid(riid)
{
}

KComTypeInfoHolder::~KComTypeInfoHolder()
{
    Unload();
}

HRESULT KComTypeInfoHolder::AddRef(HINSTANCE hModule)
{
    if (m_cRef++ == 0 || !m_pDispInfo)
        m_hrLoad = Load(hModule);
    return m_hrLoad;
}

void KComTypeInfoHolder::Release()
{
    if (m_cRef > 0 && --m_cRef == 0)
        Unload();
}

HRESULT KComTypeInfoHolder::Load(HINSTANCE hModule)
{
    Unload();
    wchar_t path[MAX_PATH];
    if (!ModulePath(hModule, path))
        return HRESULT_FROM_WIN32(::GetLastError());

    mimic::ComPtr<ITypeLib> lib;
    HRESULT hr = ::LoadTypeLibEx(path, REGKIND_NONE, lib.Put());
    if (FAILED(hr))
        return hr;

    // A module may carry some other library as TYPELIB 1: only the one
    // asked for will do.
    TLIBATTR *pAttr = nullptr;
    hr = lib->GetLibAttr(&pAttr);
    if (SUCCEEDED(hr))
    {
        bool same = IsEqualGUID(pAttr->guid, m_libid) && pAttr->wMajorVerNum == m_wMajor &&
                    pAttr->wMinorVerNum == m_wMinor;
        lib->ReleaseTLibAttr(pAttr);
        if (!same)
            hr = TYPE_E_LIBNOTREGISTERED;
    }
    if (SUCCEEDED(hr))
        hr = lib->GetTypeInfoOfGuid(m_iid, m_pDispInfo.Put());
    return hr;
}

void KComTypeInfoHolder::Unload()
{
    m_pDispInfo.Reset();
    m_hrLoad = E_UNEXPECTED;
}

HRESULT KComTypeInfoHolder::GetTypeInfo(UINT iTInfo, LCID /*lcid*/, ITypeInfo **ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0)
        return DISP_E_BADINDEX;
    if (!m_pDispInfo)
        return m_hrLoad;
    *ppTInfo = mimic::ComPtr<ITypeInfo>(m_pDispInfo).Detach();
    return S_OK;
}

HRESULT KComTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID /*lcid*/,
                                          DISPID *rgDispId)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    // The type library writes the ids without looking.
    if (!rgDispId || (cNames && !rgszNames))
        return E_POINTER;
    if (!m_pDispInfo)
        return m_hrLoad;
    return ::DispGetIDsOfNames(m_pDispInfo.Get(), rgszNames, cNames, rgDispId);
}

HRESULT KComTypeInfoHolder::Invoke(void *pThis, DISPID dispIdMember, REFIID riid, LCID /*lcid*/, WORD wFlags,
                                   DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                   UINT *puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!m_pDispInfo)
        return m_hrLoad;
    return ::DispInvoke(pThis, m_pDispInfo.Get(), dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}
