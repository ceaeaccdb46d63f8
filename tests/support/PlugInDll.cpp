#include "tests/support/PlugInDll.h"

#include <gtest/gtest.h>

#include "mimic.h"

namespace testsupport {

std::string WindowsPathOf(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void PlugInDll::Load(const std::string &path)
{
    const std::string windowsPath = WindowsPathOf(path);
    m_module = ::LoadLibraryA(windowsPath.c_str());
    ASSERT_NE(m_module, nullptr) << windowsPath;
    auto getClassObject = Export<HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **)>("DllGetClassObject");
    m_canUnloadNow = Export<HRESULT(STDAPICALLTYPE *)()>("DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && m_canUnloadNow);
    ASSERT_EQ(getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, factory.PutVoid()), S_OK);
}

bool PlugInDll::Release()
{
    factory.Reset();
    const bool canUnload = CanUnloadNow();
    if (m_module && canUnload)
        ::FreeLibrary(m_module);
    m_module = nullptr;
    return canUnload;
}

} // namespace testsupport
