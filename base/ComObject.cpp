#include "base/ComObject.h"

#include "base/ModuleLock.h"

namespace mimic {

HRESULT QueryInterfaceFromTable(void *pObject, const InterfaceEntry *pEntries, size_t nEntries, IUnknown *pIdentity,
                                REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    IUnknown *found = IsEqualIID(riid, IID_IUnknown) ? pIdentity : nullptr;
    for (size_t i = 0; !found && i < nEntries; ++i)
        if (IsEqualIID(riid, *pEntries[i].piid))
            found = pEntries[i].cast(pObject);
    if (!found)
        return E_NOINTERFACE;
    found->AddRef();
    *ppv = found;
    return S_OK;
}

ComObjectRoot::ComObjectRoot(ModuleHold hold) : m_hold(hold)
{
    if (m_hold == ModuleHold::Lock)
        ModuleLock();
}

ComObjectRoot::~ComObjectRoot()
{
    if (m_hold == ModuleHold::Lock)
        ModuleUnlock();
}

} // namespace mimic
