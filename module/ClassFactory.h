// The module's class objects: one standard class factory per creatable
// class, made on the first request and kept for the module's lifetime.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <vector>

namespace mimic {

// Makes an object of one class; with pOuter, its aggregated form (riid is
// then IID_IUnknown).
using CreateInstanceFunc = HRESULT (*)(IUnknown *pOuter, REFIID riid, void **ppv);

class ClassFactory final : public IClassFactory
{
public:
    explicit ClassFactory(CreateInstanceFunc pfnCreate);

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

private:
    ~ClassFactory() = default;

    CreateInstanceFunc m_pfnCreate;
    volatile LONG m_cRef = 1;
};

struct ClassEntry
{
    const CLSID *pClsid;
    CreateInstanceFunc pfnCreate;
};

// A module's class table. Its class objects hold no module lock: a module
// that kept one for them could never be unloaded.
class ClassObjectTable
{
public:
    // The entries must outlive the table.
    ClassObjectTable(const ClassEntry *pEntries, size_t nEntries);
    ~ClassObjectTable();
    ClassObjectTable(const ClassObjectTable &) = delete;
    ClassObjectTable &operator=(const ClassObjectTable &) = delete;

    // DllGetClassObject: CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void **ppv);

private:
    const ClassEntry *m_pEntries;
    std::vector<ClassFactory *> m_objects; // one slot per entry, null until asked for
    CRITICAL_SECTION m_cs;
};

// DllCanUnloadNow: S_OK when no object and no server lock is left.
HRESULT CanUnloadNow();

} // namespace mimic
