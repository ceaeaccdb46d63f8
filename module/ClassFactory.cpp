#include "module/ClassFactory.h"

#include <new>

#include "base/ModuleLock.h"

namespace mimic {

ClassFactory::ClassFactory(CreateInstanceFunc pfnCreate) : m_pfnCreate(pfnCreate)
{
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) ClassFactory::Release()
{
    LONG n = ::InterlockedDecrement(&m_cRef);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // An aggregated object can only hand its inner unknown to the outer one.
    if (pOuter && !IsEqualIID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    return m_pfnCreate(pOuter, riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        ModuleLock();
    else
        ModuleUnlock();
    return S_OK;
}

ClassObjectTable::ClassObjectTable(const ClassEntry *pEntries, size_t nEntries)
    : m_pEntries(pEntries), m_objects(nEntries, nullptr)
{
    ::InitializeCriticalSection(&m_cs);
}

ClassObjectTable::~ClassObjectTable()
{
    for (ClassFactory *&pObject : m_objects)
    {
        if (pObject)
            pObject->Release();
        pObject = nullptr;
    }
    ::DeleteCriticalSection(&m_cs);
}

HRESULT ClassObjectTable::GetClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < m_objects.size(); ++i)
    {
        if (!IsEqualCLSID(rclsid, *m_pEntries[i].pClsid))
            continue;
        ::EnterCriticalSection(&m_cs);
        if (!m_objects[i])
            m_objects[i] = new (std::nothrow) ClassFactory(m_pEntries[i].pfnCreate);
        ClassFactory *pObject = m_objects[i];
        if (pObject)
            pObject->AddRef();
        ::LeaveCriticalSection(&m_cs);
        if (!pObject)
            return E_OUTOFMEMORY;
        HRESULT hr = pObject->QueryInterface(riid, ppv);
        pObject->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow()
{
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

} // namespace mimic
