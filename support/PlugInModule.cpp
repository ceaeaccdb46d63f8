#include "support/PlugInModule.h"

#include "mimic.h"
#include "support/Files.h"

namespace support {

bool PlugInModule::Load(const std::string &path)
{
    Release();
    m_module.reset(::LoadLibraryA(WindowsPathOf(path).c_str()));
    if (!m_module)
        return false;
    m_getClassObject = Export<decltype(m_getClassObject)>("DllGetClassObject");
    m_canUnloadNow = Export<decltype(m_canUnloadNow)>("DllCanUnloadNow");
    return m_getClassObject && m_canUnloadNow;
}

HRESULT PlugInModule::TakeFactory()
{
    if (!m_getClassObject)
        return E_UNEXPECTED;
    return m_getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, factory.PutVoid());
}

bool PlugInModule::Release()
{
    factory.Reset();
    const bool canUnload = CanUnloadNow();
    if (canUnload)
        m_module.reset();
    else
        (void)m_module.release();
    m_getClassObject = nullptr;
    m_canUnloadNow = nullptr;
    return canUnload;
}

} // namespace support
