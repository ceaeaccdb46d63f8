#include <windows.h>
#include <gtest/gtest.h>
#include <oleauto.h>
#include <cstring>
#include <optional>
#include <string>

#include "core/Raii.h"
#include "host/ComTypeInfoHolder.h"
#include "host/baseutil.h"
#include "mimic.h"
#include "module/ClassFactory.h"
#include "module/ModuleLock.h"
#include "module/Registration.h"

using mimic::ComPtr;

namespace {

const char kClassKey[] = "CLSID\\{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}";

// The registry's text value, or nothing when the key or value is missing.
std::optional<std::string> ClassesValue(const std::string &keyPath, const char *name = "")
{
    mimic::UniqueHKey key;
    std::string value;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        !baseutil::ReadFromReg(key.get(), name, value))
        return std::nullopt;
    return value;
}

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
    char text[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, path.get(), -1, text, MAX_PATH, nullptr, nullptr);
    // Wine registers the path in its long form, "\\?\Z:\...".
    std::string result = text;
    if (result.compare(0, 4, "\\\\?\\") == 0)
        result.erase(0, 4);
    return result;
}

void ForgetTypeLib()
{
    ::UnRegisterTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
}

std::string ModuleFile(HMODULE hModule)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(hModule, path, MAX_PATH);
    return path;
}

// ---------------------------------------------------------------- class objects

const CLSID kClassA = {0x1d0e7b01, 0x5c3a, 0x4f11, {0x9a, 0x01, 0x33, 0x5e, 0x70, 0x21, 0x44, 0x01}};
const CLSID kClassB = {0x1d0e7b01, 0x5c3a, 0x4f11, {0x9a, 0x01, 0x33, 0x5e, 0x70, 0x21, 0x44, 0x02}};

// What the class object passed on to the create function.
struct CreateCall
{
    int count = 0;
    IUnknown *pOuter = nullptr;
    IID iid = IID_NULL;
};
CreateCall g_create;
const HRESULT kCreateResult = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0231);

HRESULT RecordCreate(IUnknown *pOuter, REFIID riid, void **ppv)
{
    ++g_create.count;
    g_create.pOuter = pOuter;
    g_create.iid = riid;
    *ppv = nullptr;
    return kCreateResult;
}

const mimic::ClassEntry kTable[] = {{&kClassA, &RecordCreate}, {&kClassB, &RecordCreate}};

class ClassObjectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_create = CreateCall();
        ASSERT_EQ(mimic::ModuleLockCount(), 0);
    }
    void TearDown() override { EXPECT_EQ(mimic::ModuleLockCount(), 0); }

    ComPtr<IClassFactory> Factory(REFCLSID rclsid)
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(table.GetClassObject(rclsid, IID_IClassFactory, factory.PutVoid()), S_OK);
        return factory;
    }

    mimic::ClassObjectTable table{kTable, 2};
};

TEST_F(ClassObjectTest, OneObjectPerClassKeptAcrossRequestsWithoutAModuleLock)
{
    ComPtr<IClassFactory> a = Factory(kClassA);
    ASSERT_TRUE(a);
    a.Reset();
    ComPtr<IUnknown> again;
    ASSERT_EQ(table.GetClassObject(kClassA, IID_IUnknown, again.PutVoid()), S_OK);
    a = Factory(kClassA);
    EXPECT_EQ(static_cast<IUnknown *>(a.Get()), again.Get()) << "the object outlives its callers' references";

    ComPtr<IClassFactory> b = Factory(kClassB);
    EXPECT_NE(a.Get(), b.Get());
    EXPECT_EQ(mimic::ModuleLockCount(), 0);
    EXPECT_EQ(mimic::CanUnloadNow(), S_OK) << "held class objects must not keep the module";
}

TEST_F(ClassObjectTest, OtherClassesAndInterfacesAreRefused)
{
    void *pv = &pv;
    EXPECT_EQ(table.GetClassObject(CLSID_MimicEventSink, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    pv = &pv;
    EXPECT_EQ(table.GetClassObject(CLSID_MimicPlugIn, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    pv = &pv;
    EXPECT_EQ(table.GetClassObject(kClassA, IID_IDispatch, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(table.GetClassObject(kClassA, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjectTest, LockServerHoldsTheModule)
{
    ComPtr<IClassFactory> a = Factory(kClassA);
    ComPtr<IClassFactory> b = Factory(kClassB);
    a->LockServer(TRUE);
    b->LockServer(TRUE);
    EXPECT_EQ(mimic::ModuleLockCount(), 2);
    EXPECT_EQ(mimic::CanUnloadNow(), S_FALSE);
    a->LockServer(FALSE);
    EXPECT_EQ(mimic::CanUnloadNow(), S_FALSE);
    b->LockServer(FALSE);
    EXPECT_EQ(mimic::CanUnloadNow(), S_OK);
}

TEST_F(ClassObjectTest, CreateInstanceAggregatesOnlyThroughTheInnerUnknown)
{
    ComPtr<IClassFactory> a = Factory(kClassA);
    IUnknown *outer = a.Get(); // any unknown will do: it is only passed on
    void *pv = &pv;
    EXPECT_EQ(a->CreateInstance(outer, IID_IMimic, &pv), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(g_create.count, 0);

    EXPECT_EQ(a->CreateInstance(outer, IID_IUnknown, &pv), kCreateResult);
    EXPECT_EQ(g_create.count, 1);
    EXPECT_EQ(g_create.pOuter, outer);
    EXPECT_TRUE(IsEqualIID(g_create.iid, IID_IUnknown));

    EXPECT_EQ(a->CreateInstance(nullptr, IID_IMimic, &pv), kCreateResult);
    EXPECT_EQ(g_create.count, 2);
    EXPECT_EQ(g_create.pOuter, nullptr);
    EXPECT_TRUE(IsEqualIID(g_create.iid, IID_IMimic));
}

// ----------------------------------------------------------- type information

DISPID IdOf(IDispatch *pDispatch, const wchar_t *name)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = pDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
}

// The test program carries the plug-in's resources, type library included.
class TypeInfoHolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(holder.AddRef(::GetModuleHandleA(nullptr)), S_OK); }
    void TearDown() override { holder.Release(); }

    KComTypeInfoHolder holder{LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic};
};

// Calls through the holder reach a real object in PlugInTest, through the built DLL.
TEST_F(TypeInfoHolderTest, AnswersOnlyForItsInterface)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"getrecorderstate")};
    DISPID id = 0;
    EXPECT_EQ(holder.GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 4) << "names are matched without case";
    names[0] = const_cast<LPOLESTR>(L"NoSuchMethod");
    EXPECT_EQ(holder.GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(holder.GetIDsOfNames(IID_IMimic, names, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    DISPPARAMS noArgs = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(holder.Invoke(nullptr, 3, IID_IMimic, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(holder.GetTypeInfo(0, 0, info.Put()), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualIID(attr->guid, IID_IMimic));
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(holder.GetTypeInfo(1, 0, none.Put()), DISP_E_BADINDEX);
    EXPECT_FALSE(none);
}

TEST(TypeInfoHolderLifetimeTest, TheLastReleaseDropsTheTypeInfo)
{
    KComTypeInfoHolder holder(LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic);
    ASSERT_EQ(holder.AddRef(::GetModuleHandleA(nullptr)), S_OK);
    ASSERT_EQ(holder.AddRef(::GetModuleHandleA(nullptr)), S_OK);
    holder.Release();
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(holder.GetTypeInfo(0, 0, info.Put()), S_OK);
    holder.Release();
    EXPECT_HRESULT_FAILED(holder.GetTypeInfo(0, 0, info.Put()));
    EXPECT_FALSE(info);
}

TEST(TypeInfoHolderLifetimeTest, AWrongLibraryOrInterfaceServesNothing)
{
    const GUID otherLib = {0x1d0e7b01, 0x5c3a, 0x4f11, {0x9a, 0x01, 0x33, 0x5e, 0x70, 0x21, 0x44, 0x03}};
    KComTypeInfoHolder wrongLib(otherLib, 1, 0, IID_IMimic);
    KComTypeInfoHolder wrongVersion(LIBID_MIMICPLUGINLib, 2, 0, IID_IMimic);
    KComTypeInfoHolder wrongIid(LIBID_MIMICPLUGINLib, 1, 0, IID_IClassFactory);
    KComTypeInfoHolder noLibrary(LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic);
    EXPECT_HRESULT_FAILED(wrongLib.AddRef(::GetModuleHandleA(nullptr)));
    EXPECT_HRESULT_FAILED(wrongVersion.AddRef(::GetModuleHandleA(nullptr)));
    EXPECT_HRESULT_FAILED(wrongIid.AddRef(::GetModuleHandleA(nullptr)));
    EXPECT_HRESULT_FAILED(noLibrary.AddRef(::GetModuleHandleA("kernel32.dll")));

    for (KComTypeInfoHolder *holder : {&wrongLib, &wrongVersion, &wrongIid, &noLibrary})
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"StartRecording")};
        DISPID id = 0;
        EXPECT_HRESULT_FAILED(holder->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        DISPPARAMS noArgs = {nullptr, nullptr, 0, 0};
        EXPECT_HRESULT_FAILED(holder->Invoke(nullptr, 3, IID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr));
        holder->Release();
    }
}

// ---------------------------------------------------------------- registration

TEST(RegistrationTest, AFailingScriptLeavesTheTypeLibraryUnregistered)
{
    ForgetTypeLib();
    ASSERT_FALSE(RegisteredTypeLibPath());
    EXPECT_HRESULT_FAILED(mimic::RegisterServer(::GetModuleHandleA(nullptr), 999));
    EXPECT_FALSE(RegisteredTypeLibPath());
    EXPECT_EQ(mimic::UnregisterServer(::GetModuleHandleA(nullptr), 999), S_OK);
}

// The built mimic.dll, loaded into this process: its own exports, class table and lock count.
class MimicDllTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string path = MIMIC_DLL_PATH;
        if (!path.empty() && path[0] == '/')
            path = "Z:" + path; // built on the Unix side of Wine
        for (char &c : path)
            if (c == '/')
                c = '\\';
        dll = ::LoadLibraryA(path.c_str());
        ASSERT_NE(dll, nullptr) << path;
        getClassObject = Export<decltype(&DllGetClassObject)>("DllGetClassObject");
        canUnloadNow = Export<decltype(&DllCanUnloadNow)>("DllCanUnloadNow");
        registerServer = Export<HRESULT(STDAPICALLTYPE *)()>("DllRegisterServer");
        unregisterServer = Export<HRESULT(STDAPICALLTYPE *)()>("DllUnregisterServer");
    }
    void TearDown() override
    {
        if (dll)
            ::FreeLibrary(dll);
    }

    template <typename F>
    F Export(const char *name)
    {
        F f = reinterpret_cast<F>(reinterpret_cast<void *>(::GetProcAddress(dll, name)));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    HMODULE dll = nullptr;
    decltype(&DllGetClassObject) getClassObject = nullptr;
    decltype(&DllCanUnloadNow) canUnloadNow = nullptr;
    HRESULT(STDAPICALLTYPE *registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE *unregisterServer)() = nullptr;
};

TEST_F(MimicDllTest, ServesThePlugInClassOnly)
{
    ASSERT_TRUE(getClassObject && canUnloadNow);
    ComPtr<IClassFactory> factory, again;
    ASSERT_EQ(getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, factory.PutVoid()), S_OK);
    ASSERT_EQ(getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, again.PutVoid()), S_OK);
    EXPECT_EQ(factory.Get(), again.Get());
    void *pv = &pv;
    EXPECT_EQ(getClassObject(CLSID_MimicEventSink, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK) << "the class object does not keep the module";

    factory->LockServer(TRUE);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_OK);

    // A plug-in object keeps the module, and answers IDispatch from the
    // DLL's own type library.
    ComPtr<IDispatch> plugIn;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, plugIn.PutVoid()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(IdOf(plugIn.Get(), L"OnChangeActiveDesign"), 16);
    plugIn.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(MimicDllTest, RegistersItselfAndItsTypeLibrary)
{
    ASSERT_TRUE(registerServer && unregisterServer);
    ForgetTypeLib();
    const std::string file = ModuleFile(dll);
    const std::string classKey = kClassKey;

    ASSERT_EQ(registerServer(), S_OK);
    std::optional<std::string> server = ClassesValue(classKey + "\\InprocServer32");
    ASSERT_TRUE(server);
    EXPECT_EQ(::lstrcmpiA(server->c_str(), file.c_str()), 0) << *server << " vs " << file;
    EXPECT_EQ(ClassesValue(classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ClassesValue(classKey + "\\ProgID"), "Mimic.MimicPlugIn.1");
    EXPECT_EQ(ClassesValue(classKey + "\\TypeLib"), "{F37E6496-D968-4011-8EFB-673D1B07D728}");
    EXPECT_EQ(ClassesValue("Mimic.MimicPlugIn.1\\CLSID"), "{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}");
    EXPECT_EQ(ClassesValue("Mimic.MimicPlugIn\\CurVer"), "Mimic.MimicPlugIn.1");
    std::optional<std::string> typeLib = RegisteredTypeLibPath();
    ASSERT_TRUE(typeLib);
    EXPECT_EQ(::lstrcmpiA(typeLib->c_str(), file.c_str()), 0) << *typeLib;

    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(ClassesKeyExists(classKey));
    EXPECT_FALSE(ClassesKeyExists("Mimic.MimicPlugIn.1"));
    EXPECT_FALSE(ClassesKeyExists("Mimic.MimicPlugIn"));
    EXPECT_TRUE(ClassesKeyExists("CLSID")) << "the script must not take the shared key with it";
    EXPECT_TRUE(RegisteredTypeLibPath()) << "the type library stays registered";
    EXPECT_EQ(unregisterServer(), S_OK) << "unregistering twice still succeeds";
    ForgetTypeLib();
}

// The type library a host reads: every IMimic method with its dispid and help string.
TEST(TypeLibraryTest, IMimicIsDescribedAsHostsExpectIt)
{
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::wstring wide(path, path + strlen(path));
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(::LoadTypeLibEx(wide.c_str(), REGKIND_NONE, lib.Put()), S_OK);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IMimic, info.Put()), S_OK);
    struct Method
    {
        const char *name;
        DISPID dispid;
        const char *help;
    };
    const Method table[] = {
        {"StartRecording", 1, "Starts recording"},
        {"PauseRecording", 2, "Pauses recording"},
        {"StopRecording", 3, "Stops recording"},
        {"GetRecorderState", 4, "Gets recorder state and cookie of nexo plugin it's connected to"},
        {"GetMacroFilesPath", 5, "Gets path to macro files"},
        {"ReloadList", 6, "Reload files"},
        {"GetCommandFileNameToPlay", 7, "Gets macro file name to play and how many times"},
        {"GetTaskManager", 8, "Gets task manager dlg"},
        {"GetCommandIdFromAccel", 9, "Get command id from accelerator"},
        {"GetTaskPlayInfoFromCmdId", 10, "Gets macro file name to play and how many times"},
        {"GetMimicMenu", 11, "method GetMimicMenu"},
        {"GetCommandAccelFromId", 12, "Get command accelerator from command id"},
        {"RecordEvent", 13, "Record Event"},
        {"PlayLastMacro", 14, "Play Last Macro"},
        {"OnChangeActiveDesign", 16, ""},
    };
    for (const Method &m : table)
    {
        SCOPED_TRACE(m.name);
        std::wstring name(m.name, m.name + strlen(m.name));
        LPOLESTR names[] = {&name[0]};
        MEMBERID id = 0;
        ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
        EXPECT_EQ(id, m.dispid);
        mimic::UniqueBstr doc;
        ASSERT_EQ(info->GetDocumentation(id, nullptr, doc.put(), nullptr, nullptr), S_OK);
        std::string help;
        for (const wchar_t *p = doc.get(); p && *p; ++p)
            help += static_cast<char>(*p);
        EXPECT_EQ(help, m.help);
    }
    for (const IID *iid : {&IID_IPlugIn, &IID_IMimicEventSink})
    {
        ComPtr<ITypeInfo> other;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(*iid, other.Put()), S_OK);
    }
}

} // namespace
