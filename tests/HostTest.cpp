#include <gtest/gtest.h>

#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "refhost/com/CommandInterpreter.h"
#include "tests/support/HostFixture.h"

using namespace testsupport;

namespace {

// On a scratch key below HKEY_CURRENT_USER, deleted before and after. Each
// value read as a number and as a text: "found|value", the value as it was
// left when nothing was found.
TEST(RegistryTest, ValuesOfAnotherTypeOrSizeAreAbsentAndUnterminatedTextsReadBack)
{
    const char *path = "Software\\MimicTests\\Registry";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    mimic::UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const std::string ones("\xFF\xFF\xFF\xFF", 4);
    struct Case
    {
        const char *name;
        DWORD type;
        std::string data;
        const char *number, *text;
    };
    const Case cases[] = {
        {"dword", REG_DWORD, ones, "1|4294967295", "0|kept"},
        {"short dword", REG_DWORD, std::string("\7\0", 2), "0|1234", "0|kept"},
        {"qword", REG_QWORD, std::string("\5\0\0\0\0\0\0\0", 8), "0|1234", "0|kept"},
        {"binary", REG_BINARY, ones, "0|1234", "0|kept"},
        {"big endian", REG_DWORD_BIG_ENDIAN, ones, "0|1234", "0|kept"},
        {"text", REG_SZ, std::string("5", 2), "0|1234", "1|5"},
        {"unterminated", REG_SZ, "abc", "0|1234", "1|abc"},
        {"embedded", REG_SZ, std::string("ab\0cd", 6), "0|1234", "1|ab"},
        {"missing", REG_NONE, "", "0|1234", "0|kept"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        if (c.type != REG_NONE)
        {
            ASSERT_EQ(::RegSetValueExA(key.get(), c.name, 0, c.type, reinterpret_cast<const BYTE *>(c.data.data()),
                                       static_cast<DWORD>(c.data.size())),
                      ERROR_SUCCESS);
        }
        DWORD value = 1234;
        std::string text = "kept";
        const bool number = baseutil::ReadNumberFromReg(key.get(), c.name, value);
        EXPECT_EQ(std::to_string(number) + "|" + std::to_string(value), c.number);
        EXPECT_EQ(std::to_string(baseutil::ReadFromReg(key.get(), c.name, text)) + "|" + text, c.text);
    }
    DWORD value = 0;
    EXPECT_FALSE(baseutil::ReadNumberFromReg(nullptr, "dword", value));
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
