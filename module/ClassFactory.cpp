#include "module/ClassFactory.h"

#include <new>

#include "base/ModuleLock.h"

namespace mimic {

namespace {

class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CRITICAL_SECTION &cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CriticalSectionLock() { ::LeaveCriticalSection(&m_cs); }
    CriticalSectionLock(const CriticalSectionLock &) = delete;
    CriticalSectionLock &operator=(const CriticalSectionLock &) = delete;

private:
    CRITICAL_SECTION &m_cs;
};

} // namespace

const InterfaceEntry ClassFactory::kInterfaces[] = {
    {&IID_IClassFactory, InterfaceOf<ClassFactory, IClassFactory>},
};

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
    : m_pEntries(pEntries), m_objects(nEntries)
{
    ::InitializeCriticalSection(&m_cs);
}

ClassObjectTable::~ClassObjectTable()
{
    m_objects.clear();
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
        ComPtr<IClassFactory> object;
        {
            CriticalSectionLock lock(m_cs);
            if (!m_objects[i])
                m_objects[i] = ComPtr<IClassFactory>(
                    new (std::nothrow) ComObject<ClassFactory, ModuleHold::None>(m_pEntries[i].pfnCreate));
            object = m_objects[i];
        }
        if (!object)
            return E_OUTOFMEMORY;
        return object->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow()
{
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

} // namespace mimic
