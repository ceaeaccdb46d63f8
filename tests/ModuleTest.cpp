#include <windows.h>
#include <gtest/gtest.h>
#include <oleauto.h>
#include <optional>
#include <string>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/ComTypeInfoHolder.h"
#include "host/baseutil.h"
#include "mimic.h"
#include "module/ClassFactory.h"
#include "base/ModuleLock.h"
#include "module/Registration.h"
#include "tests/support/PlugInDll.h"

using mimic::ComPtr;

namespace {

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
    // Wine registers the path in its long form, "\\?\Z:\...".
    std::string result = mimic::NarrowFromBstr(path.get());
    return result.compare(0, 4, "\\\\?\\") == 0 ? result.substr(4) : result;
}

void ForgetTypeLib()
{
    ::UnRegisterTypeLib(LIBID_MIMICPLUGINLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
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
    g_create = {g_create.count + 1, pOuter, riid};
    *ppv = nullptr;
    return kCreateResult;
}

const mimic::ClassEntry kTable[] = {{&kClassA, &RecordCreate}, {&kClassB, &RecordCreate}};

// The class objects live as long as the module and only LockServer holds it;
// each hands its table entry's create function the caller's outer object and
// interface, and passes back its result.
TEST(ClassObjectTest, OneObjectPerClassCreatesThroughItsEntryAndOnlyLockServerHoldsTheModule)
{
    ASSERT_EQ(mimic::ModuleLockCount(), 0);
    mimic::ClassObjectTable table{kTable, 2};
    ComPtr<IClassFactory> a, b;
    ComPtr<IUnknown> again;
    ASSERT_EQ(table.GetClassObject(kClassA, IID_IClassFactory, a.PutVoid()), S_OK);
    a.Reset();
    ASSERT_EQ(table.GetClassObject(kClassA, IID_IUnknown, again.PutVoid()), S_OK);
    ASSERT_EQ(table.GetClassObject(kClassA, IID_IClassFactory, a.PutVoid()), S_OK);
    EXPECT_EQ(static_cast<IUnknown *>(a.Get()), again.Get()) << "the object outlives its callers' references";
    ASSERT_EQ(table.GetClassObject(kClassB, IID_IClassFactory, b.PutVoid()), S_OK);
    EXPECT_NE(a.Get(), b.Get());

    const struct
    {
        const CLSID *clsid;
        const IID *iid;
        HRESULT hr;
    } refused[] = {{&CLSID_MimicPlugIn, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE}, // not in this table
                   {&kClassA, &IID_IDispatch, E_NOINTERFACE}};
    for (const auto &c : refused)
    {
        void *pv = &pv;
        EXPECT_EQ(table.GetClassObject(*c.clsid, *c.iid, &pv), c.hr);
        EXPECT_EQ(pv, nullptr);
    }
    EXPECT_EQ(table.GetClassObject(kClassA, IID_IClassFactory, nullptr), E_POINTER);

    IUnknown *outer = a.Get(); // any unknown will do: it is only passed on
    void *pv = &pv;
    EXPECT_EQ(a->CreateInstance(outer, IID_IMimic, &pv), CLASS_E_NOAGGREGATION) << "only through the inner unknown";
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(g_create.count, 0);
    const std::pair<IUnknown *, const IID *> creates[] = {{outer, &IID_IUnknown}, {nullptr, &IID_IMimic}};
    for (const auto &[pOuter, iid] : creates)
    {
        const int before = g_create.count;
        EXPECT_EQ(a->CreateInstance(pOuter, *iid, &pv), kCreateResult);
        EXPECT_EQ(g_create.count, before + 1);
        EXPECT_EQ(g_create.pOuter, pOuter);
        EXPECT_TRUE(IsEqualIID(g_create.iid, *iid));
    }

    EXPECT_EQ(mimic::ModuleLockCount(), 0);
    EXPECT_EQ(mimic::CanUnloadNow(), S_OK) << "held class objects must not keep the module";
    a->LockServer(TRUE);
    b->LockServer(TRUE);
    EXPECT_EQ(mimic::ModuleLockCount(), 2);
    EXPECT_EQ(mimic::CanUnloadNow(), S_FALSE);
    a->LockServer(FALSE);
    EXPECT_EQ(mimic::CanUnloadNow(), S_FALSE);
    b->LockServer(FALSE);
    EXPECT_EQ(mimic::CanUnloadNow(), S_OK);
}

// ----------------------------------------------------------- type information

// The test program carries the plug-in's resources, type library included.
// Calls through the holder reach a real object in PlugInTest, through the built DLL.
TEST(TypeInfoHolderTest, AnswersOnlyForItsInterfaceUntilTheLastRelease)
{
    KComTypeInfoHolder holder(LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic);
    ASSERT_EQ(holder.AddRef(::GetModuleHandleA(nullptr)), S_OK);
    ASSERT_EQ(holder.AddRef(::GetModuleHandleA(nullptr)), S_OK);
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
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(holder.GetTypeInfo(1, 0, none.Put()), DISP_E_BADINDEX);
    EXPECT_FALSE(none);

    holder.Release();
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(holder.GetTypeInfo(0, 0, info.Put()), S_OK) << "one user is left";
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualIID(attr->guid, IID_IMimic));
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    holder.Release();
    EXPECT_HRESULT_FAILED(holder.GetTypeInfo(0, 0, info.Put()));
    EXPECT_FALSE(info);
}

TEST(TypeInfoHolderTest, AWrongLibraryOrInterfaceServesNothing)
{
    const GUID otherLib = {0x1d0e7b01, 0x5c3a, 0x4f11, {0x9a, 0x01, 0x33, 0x5e, 0x70, 0x21, 0x44, 0x03}};
    struct
    {
        const char *what;
        KComTypeInfoHolder holder;
        HMODULE module;
    } cases[] = {{"another library", {otherLib, 1, 0, IID_IMimic}, ::GetModuleHandleA(nullptr)},
                 {"another version", {LIBID_MIMICPLUGINLib, 2, 0, IID_IMimic}, ::GetModuleHandleA(nullptr)},
                 {"an interface not in it", {LIBID_MIMICPLUGINLib, 1, 0, IID_IClassFactory}, ::GetModuleHandleA(nullptr)},
                 {"a module without it", {LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic}, ::GetModuleHandleA("kernel32.dll")}};
    for (auto &c : cases)
    {
        SCOPED_TRACE(c.what);
        KComTypeInfoHolder &holder = c.holder;
        EXPECT_HRESULT_FAILED(holder.AddRef(c.module));
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"StartRecording")};
        DISPID id = 0;
        EXPECT_HRESULT_FAILED(holder.GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        DISPPARAMS noArgs = {nullptr, nullptr, 0, 0};
        EXPECT_HRESULT_FAILED(holder.Invoke(nullptr, 3, IID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr));
        holder.Release();
    }
}

// The type library a host reads: every IMimic method with its dispid and help string.
TEST(TypeLibraryTest, IMimicIsDescribedAsHostsExpectIt)
{
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(::LoadTypeLibEx(path, REGKIND_NONE, lib.Put()), S_OK);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IMimic, info.Put()), S_OK);
    const struct
    {
        const wchar_t *name;
        DISPID dispid;
        const wchar_t *help;
    } methods[] = {
        {L"StartRecording", 1, L"Starts recording"},
        {L"PauseRecording", 2, L"Pauses recording"},
        {L"StopRecording", 3, L"Stops recording"},
        {L"GetRecorderState", 4, L"Gets recorder state and cookie of nexo plugin it's connected to"},
        {L"GetMacroFilesPath", 5, L"Gets path to macro files"},
        {L"ReloadList", 6, L"Reload files"},
        {L"GetCommandFileNameToPlay", 7, L"Gets macro file name to play and how many times"},
        {L"GetTaskManager", 8, L"Gets task manager dlg"},
        {L"GetCommandIdFromAccel", 9, L"Get command id from accelerator"},
        {L"GetTaskPlayInfoFromCmdId", 10, L"Gets macro file name to play and how many times"},
        {L"GetMimicMenu", 11, L"method GetMimicMenu"},
        {L"GetCommandAccelFromId", 12, L"Get command accelerator from command id"},
        {L"RecordEvent", 13, L"Record Event"},
        {L"PlayLastMacro", 14, L"Play Last Macro"},
        {L"OnChangeActiveDesign", 16, L""},
    };
    for (const auto &m : methods)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        MEMBERID id = 0;
        ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK) << m.name;
        EXPECT_EQ(id, m.dispid) << m.name;
        mimic::UniqueBstr doc;
        ASSERT_EQ(info->GetDocumentation(id, nullptr, doc.put(), nullptr, nullptr), S_OK);
        EXPECT_EQ(std::wstring(doc.get() ? doc.get() : L""), m.help);
    }
    for (const IID *iid : {&IID_IPlugIn, &IID_IMimicEventSink})
    {
        ComPtr<ITypeInfo> other;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(*iid, other.Put()), S_OK);
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
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(dll.Load(MIMIC_DLL_PATH)); }
    void TearDown() override { EXPECT_TRUE(dll.Release()) << "the module can unload"; }
    testsupport::PlugInDll dll;
};

TEST_F(MimicDllTest, ServesThePlugInClassOnly)
{
    auto getClassObject = dll.Export<decltype(&DllGetClassObject)>("DllGetClassObject");
    ComPtr<IClassFactory> again;
    ASSERT_EQ(getClassObject(CLSID_MimicPlugIn, IID_IClassFactory, again.PutVoid()), S_OK);
    EXPECT_EQ(dll.factory.Get(), again.Get());
    void *pv = &pv;
    EXPECT_EQ(getClassObject(CLSID_MimicEventSink, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_TRUE(dll.CanUnloadNow()) << "the class object does not keep the module";
}

TEST_F(MimicDllTest, RegistersItselfAndItsTypeLibrary)
{
    auto registerServer = dll.Export<HRESULT(STDAPICALLTYPE *)()>("DllRegisterServer");
    auto unregisterServer = dll.Export<HRESULT(STDAPICALLTYPE *)()>("DllUnregisterServer");
    ASSERT_TRUE(registerServer && unregisterServer);
    ForgetTypeLib();
    char file[MAX_PATH] = {};
    ::GetModuleFileNameA(dll.Module(), file, MAX_PATH);
    const std::string classKey = "CLSID\\{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}";

    ASSERT_EQ(registerServer(), S_OK);
    std::optional<std::string> server = ClassesValue(classKey + "\\InprocServer32");
    ASSERT_TRUE(server);
    EXPECT_EQ(::lstrcmpiA(server->c_str(), file), 0) << *server << " vs " << file;
    EXPECT_EQ(ClassesValue(classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ClassesValue(classKey + "\\ProgID"), "Mimic.MimicPlugIn.1");
    EXPECT_EQ(ClassesValue(classKey + "\\TypeLib"), "{F37E6496-D968-4011-8EFB-673D1B07D728}");
    EXPECT_EQ(ClassesValue("Mimic.MimicPlugIn.1\\CLSID"), "{75B2BC7B-434A-4D7E-B3D1-BED1BD3499FE}");
    EXPECT_EQ(ClassesValue("Mimic.MimicPlugIn\\CurVer"), "Mimic.MimicPlugIn.1");
    std::optional<std::string> typeLib = RegisteredTypeLibPath();
    ASSERT_TRUE(typeLib);
    EXPECT_EQ(::lstrcmpiA(typeLib->c_str(), file), 0) << *typeLib;

    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(ClassesKeyExists(classKey));
    EXPECT_FALSE(ClassesKeyExists("Mimic.MimicPlugIn.1"));
    EXPECT_FALSE(ClassesKeyExists("Mimic.MimicPlugIn"));
    EXPECT_TRUE(ClassesKeyExists("CLSID")) << "the script must not take the shared key with it";
    EXPECT_TRUE(RegisteredTypeLibPath()) << "the type library stays registered";
    EXPECT_EQ(unregisterServer(), S_OK) << "unregistering twice still succeeds";
    ForgetTypeLib();
}

} // namespace
