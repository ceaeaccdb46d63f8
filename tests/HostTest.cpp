#include <gtest/gtest.h>

#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "refhost/com/CommandInterpreter.h"
#include "tests/support/HostFixture.h"

using namespace testsupport;

namespace {

// On a scratch key below HKEY_CURRENT_USER, deleted before and after.
TEST(RegistryTest, ValuesOfAnotherTypeOrSizeAreAbsentAndUnterminatedTextsReadBack)
{
    const char *path = "Software\\MimicTests\\Registry";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    mimic::UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    auto SetRaw = [&](const char *name, DWORD type, const void *data, DWORD cb) {
        ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE *>(data), cb), ERROR_SUCCESS);
    };
    const DWORD dword = 0xFFFFFFFF;
    const ULONGLONG qword = 5;
    const WORD word = 7;
    struct Case
    {
        const char *name;
        DWORD type, cb;
        const void *data;
        bool found;
    };
    const Case cases[] = {
        {"dword", REG_DWORD, 4, &dword, true},     {"short dword", REG_DWORD, 2, &word, false},
        {"qword", REG_QWORD, 8, &qword, false},    {"binary", REG_BINARY, 4, &dword, false},
        {"text", REG_SZ, 2, "5", false},           {"big endian", REG_DWORD_BIG_ENDIAN, 4, &dword, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        SetRaw(c.name, c.type, c.data, c.cb);
        DWORD value = 1234;
        EXPECT_EQ(baseutil::ReadNumberFromReg(key.get(), c.name, value), c.found);
        EXPECT_EQ(value, c.found ? dword : 1234u) << "an absent number leaves the default";
    }
    DWORD value = 0;
    EXPECT_FALSE(baseutil::ReadNumberFromReg(key.get(), "missing", value));
    EXPECT_FALSE(baseutil::ReadNumberFromReg(nullptr, "dword", value));

    SetRaw("unterminated", REG_SZ, "abc", 3);
    SetRaw("embedded", REG_SZ, "ab\0cd", 6);
    std::string text;
    EXPECT_TRUE(baseutil::ReadFromReg(key.get(), "unterminated", text));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(baseutil::ReadFromReg(key.get(), "embedded", text));
    EXPECT_EQ(text, "ab");
    text = "kept";
    EXPECT_FALSE(baseutil::ReadFromReg(key.get(), "missing", text));
    EXPECT_EQ(text, "kept");
    key.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
}

TEST(TextTest, SplitKeepsEmptyPieces)
{
    const std::pair<const char *, std::vector<std::string>> cases[] = {
        {"a\nb", {"a", "b"}}, {"", {""}}, {"\n", {"", ""}}, {"a\n\nb\n", {"a", "", "b", ""}}};
    for (const auto &[text, expected] : cases)
    {
        std::vector<std::string> pieces{"stale"};
        baseutil::split(pieces, text, '\n');
        EXPECT_EQ(pieces, expected) << text;
    }
}

TEST(TextTest, PathPieces)
{
    EXPECT_EQ(FileUtils::GetPathFromFile("C:\\a\\b.pl"), "C:\\a");
    EXPECT_EQ(FileUtils::GetNameFromFile("C:\\a\\b.pl"), "b.pl");
    EXPECT_EQ(FileUtils::GetNameFromFile("b.pl"), "b.pl");
    EXPECT_EQ(FileUtils::RemoveExtFromFile("a.plan.pl"), "a.plan");
    EXPECT_EQ(FileUtils::RemoveExtFromFile("C:\\x.y\\noext"), "C:\\x.y\\noext");
    EXPECT_TRUE(FileUtils::equalPath("C:\\A\\..\\a\\B.pl", "c:\\a\\b.PL"));
    EXPECT_FALSE(FileUtils::equalPath("C:\\a\\b.pl", "C:\\a\\c.pl"));
}

TEST(TextTest, NarrowAndWideRoundTripThroughTheAnsiCodePage)
{
    mimic::UniqueBstr b(mimic::BstrFromNarrow("Ctrl+\xE9"));
    ASSERT_TRUE(b.get());
    EXPECT_EQ(::SysStringLen(b.get()), 6u);
    EXPECT_EQ(mimic::NarrowFromBstr(b.get()), "Ctrl+\xE9");
    EXPECT_EQ(mimic::NarrowFromBstr(nullptr), "");
    // A BSTR may carry a NUL; its length, not the NUL, ends it.
    mimic::UniqueBstr withNul(::SysAllocStringLen(L"a\0b", 3));
    EXPECT_EQ(mimic::NarrowFromBstr(withNul.get()), std::string("a\0b", 3));

    // The calling thread's code page, not the system's: 0xC0 is a Cyrillic A under a Russian thread locale.
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)));
    const std::wstring wide = mimic::WideFromNarrow("\xC0");
    const std::string narrow = mimic::NarrowFromWide(L"\x0410");
    ::SetThreadLocale(before);
    EXPECT_EQ(wide, L"\x0410");
    EXPECT_EQ(narrow, "\xC0");
}

using HostApiTest = HostFixture;

TEST_F(HostApiTest, SettingsKeyBelongsToTheFrameworkAndGoesWithIt)
{
    std::string root;
    {
        mimic::ComPtr<refhost::RefFramework> other = refhost::RefFramework::Create();
        root = other->SettingsRoot();
        EXPECT_NE(root, host->SettingsRoot());
        mimic::UniqueHKey key(hostapi::GetPlugInRegKey(static_cast<IHostFramework *>(other.Get()), CLSID_MimicPlugIn));
        ASSERT_TRUE(key);
        EXPECT_TRUE(baseutil::WriteToReg(key.get(), "Local Path", "x"));
    }
    HKEY probe = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, root.c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
}

TEST_F(HostApiTest, OpenPlugInsAreFoundOnlyWhileOpen)
{
    IUnknown *ws = nullptr;
    // The out-pointer is cleared on every failure.
    auto connect = [&](IUnknown *fw, REFCLSID clsid, REFIID iid) {
        ws = reinterpret_cast<IUnknown *>(0x1);
        HRESULT hr = hostapi::ConnectOpenPlugIn(fw, false, clsid, iid, reinterpret_cast<void **>(&ws));
        EXPECT_TRUE(hr == S_OK || ws == nullptr) << std::hex << hr;
        return hr;
    };
    // The host hands out its plug-ins by their plug-in interface only.
    EXPECT_EQ(connect(Framework(), CLSID_WorkspaceManager, IID_IWorkspaceManager), E_NOINTERFACE);
    ASSERT_EQ(connect(Framework(), CLSID_WorkspaceManager, IID_IPlugIn), S_OK);
    mimic::ComPtr<IWorkspaceManager> manager;
    ASSERT_EQ(ws->QueryInterface(IID_IWorkspaceManager, manager.PutVoid()), S_OK);
    ws->Release();
    mimic::UniqueBstr path;
    EXPECT_EQ(manager->GetCurrentWorkspacePath(path.put()), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(path.get()), workDir + "\\proj.wsp");

    host->CloseWorkspace();
    EXPECT_NE(connect(Framework(), CLSID_WorkspaceManager, IID_IPlugIn), S_OK);
    EXPECT_EQ(connect(nullptr, CLSID_WorkspaceManager, IID_IPlugIn), E_NOINTERFACE);

    host->OpenPlugIn(CLSID_HostPlugIn);
    EXPECT_EQ(connect(Framework(), CLSID_HostPlugIn, IID_IPlugIn), S_OK);
    ws->Release();
    host->ClosePlugIn(CLSID_HostPlugIn);
    EXPECT_EQ(connect(Framework(), CLSID_HostPlugIn, IID_IPlugIn), S_FALSE);
}

TEST(CommandInterpreterTest, RunScriptLinesAreTakenApartAsTheyWereBuilt)
{
    const std::pair<const char *, const char *> cases[] = {
        {"runscript -perl {C:\\Work\\fix.pl} -1 {top.bde} 3", "C:\\Work\\fix.pl|-1|top.bde|3"},
        {"runscript -perl {C:\\a.pl} -1 {y {1}.bde} -2", "C:\\a.pl|-1|y {1}.bde|-2"},
        {"runscript -perl {C:\\a.pl} -1 {} 1", "C:\\a.pl|-1||1"},
        {"runscript -python {a} -1 {b} 1", "refused"},
        {"runscript -perl {a} -1 {b}", "refused"},
    };
    for (auto [line, parts] : cases)
    {
        refhost::RunScriptCommand c;
        EXPECT_EQ(refhost::ParseRunScript(line, c) ? c.script + "|" + c.cookie + "|" + c.file + "|" + c.count
                                                   : "refused",
                  parts)
            << line;
    }
}

} // namespace
