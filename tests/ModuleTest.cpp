#include <windows.h>
#include <gtest/gtest.h>
#include <oleauto.h>
#include <optional>
#include <string>

#include "base/Raii.h"
#include "base/Text.h"
#include "mimic.h"
#include "module/Registration.h"
#include "tests/support/PlugInDll.h"

using mimic::ComPtr;

namespace {

bool ClassesKeyExists(const std::string &keyPath)
{
    mimic::UniqueHKey key;
    return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<std::string> RegisteredTypeLibPath()
{
    mimic::UniqueBstr path;
    if (FAILED(::QueryPathOfRegTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, path.put())))
        return std::nullopt;
    // Wine registers the path in its long form, "\\?\Z:\...".
    std::string result = mimic::NarrowFromBstr(path.get());
    return result.compare(0, 4, "\\\\?\\") == 0 ? result.substr(4) : result;
}

TEST(RegistrationTest, AFailingScriptLeavesTheTypeLibraryUnregistered)
{
    ::UnRegisterTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    ASSERT_FALSE(RegisteredTypeLibPath());
    EXPECT_HRESULT_FAILED(mimic::RegisterServer(::GetModuleHandleA(nullptr), 999));
    EXPECT_FALSE(RegisteredTypeLibPath());
    EXPECT_EQ(mimic::UnregisterServer(::GetModuleHandleA(nullptr), 999), S_OK);
}

// The built mimic.dll, loaded into this process: its own exports, class table and lock count.
class MimicDllTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(dll.Load(MIMIC_DLL_PATH)); }
    void TearDown() override { EXPECT_TRUE(dll.Release()) << "the module can unload"; }
    testsupport::PlugInDll dll;
};

// Its class object lives as long as the module and only LockServer holds the module.
TEST_F(MimicDllTest, ServesThePlugInClassOnlyAndRegistersItselfAndItsTypeLibrary)
{
    auto getClassObject = dll.Export<decltype(&DllGetClassObject)>("DllGetClassObject");
    ComPtr<IClassFactory> again;
    ASSERT_EQ(getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, again.PutVoid()), S_OK);
    EXPECT_EQ(dll.factory.Get(), again.Get());
    void *pv = &pv;
    EXPECT_EQ(getClassObject(CLSID_MimicEventSink, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_TRUE(dll.CanUnloadNow()) << "held class objects must not keep the module";
    for (auto [lock, free] : {std::pair{TRUE, false}, {TRUE, false}, {FALSE, false}, {FALSE, true}}) // two and back
    {
        again->LockServer(lock);
        EXPECT_EQ(dll.CanUnloadNow(), free);
    }
    again.Reset();

    auto registerServer = dll.Export<HRESULT(STDAPICALLTYPE *)()>("DllRegisterServer");
    auto unregisterServer = dll.Export<HRESULT(STDAPICALLTYPE *)()>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    ::UnRegisterTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    char file[MAX_PATH] = {};
    ::GetModuleFileNameA(dll.Module(), file, MAX_PATH);
    const std::string classKey = "CLSID\\{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}";

    // Creating by ProgID and class id from a script is the Registration test's; here, what it cannot see.
    ASSERT_EQ(registerServer(), S_OK);
    char model[32] = {};
    DWORD size = sizeof(model);
    ::RegGetValueA(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), "ThreadingModel", RRF_RT_REG_SZ,
                   nullptr, model, &size);
    EXPECT_STREQ(model, "Apartment");
    std::optional<std::string> typeLib = RegisteredTypeLibPath();
    ASSERT_TRUE(typeLib);
    EXPECT_EQ(::lstrcmpiA(typeLib->c_str(), file), 0) << *typeLib;

    EXPECT_EQ(unregisterServer(), S_OK);
    for (const std::string &key : {classKey, std::string("Mimic.MimicPlugIn.1"), std::string("Mimic.MimicPlugIn")})
        EXPECT_FALSE(ClassesKeyExists(key)) << key;
    EXPECT_TRUE(ClassesKeyExists("CLSID")) << "the script must not take the shared key with it";
    EXPECT_TRUE(RegisteredTypeLibPath()) << "the type library stays registered";
    EXPECT_EQ(unregisterServer(), S_OK) << "unregistering twice still succeeds";
    ::UnRegisterTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
}

} // namespace
