// The module's class objects: one standard class factory per creatable
// class, made on the first request and kept for the module's lifetime.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <vector>

#include "base/ComObject.h"
#include "base/Raii.h"

namespace mimic {

// Makes an object of one class; with pOuter, its aggregated form (riid is
// then IID_IUnknown).
using CreateInstanceFunc = HRESULT (*)(IUnknown *pOuter, REFIID riid, void **ppv);

// Its IUnknown is ComObject's, without the module lock (see ClassObjectTable).
class ClassFactory : public IClassFactory
{
public:
    static const InterfaceEntry kInterfaces[];

    explicit ClassFactory(CreateInstanceFunc pfnCreate) : m_pfnCreate(pfnCreate) {}

    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

protected:
    ~ClassFactory() = default;

private:
    CreateInstanceFunc m_pfnCreate;
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
    std::vector<ComPtr<IClassFactory>> m_objects; // one slot per entry, empty until asked for
    CRITICAL_SECTION m_cs;
};

// DllCanUnloadNow: S_OK when no object and no server lock is left.
HRESULT CanUnloadNow();

} // namespace mimic
