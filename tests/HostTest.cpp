#include <gtest/gtest.h>

#include "core/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "refhost/CommandInterpreter.h"
#include "tests/support/HostFixture.h"

using namespace testsupport;

namespace {

// A scratch key below HKEY_CURRENT_USER, deleted before and after.
class RegistryTest : public ::testing::Test
{
protected:
    const char *kPath = "Software\\MimicTests\\Registry";
    void SetUp() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        key.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    }
    void SetRaw(const char *name, DWORD type, const void *data, DWORD cb)
    {
        ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE *>(data), cb), ERROR_SUCCESS);
    }
    mimic::UniqueHKey key;
};

TEST_F(RegistryTest, NumbersCountOnlyAsFourByteDwords)
{
    const DWORD dword = 0xFFFFFFFF;
    const ULONGLONG qword = 5;
    const WORD word = 7;
    struct Case
    {
        const char *name;
        DWORD type;
        const void *data;
        DWORD cb;
        bool found;
    };
    const Case cases[] = {
        {"dword", REG_DWORD, &dword, 4, true},
        {"short dword", REG_DWORD, &word, 2, false},
        {"qword", REG_QWORD, &qword, 8, false},
        {"binary", REG_BINARY, &dword, 4, false},
        {"text", REG_SZ, "5", 2, false},
        {"big endian", REG_DWORD_BIG_ENDIAN, &dword, 4, false},
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
    EXPECT_TRUE(baseutil::WriteNumberToReg(key.get(), "written", static_cast<DWORD>(-1)));
    EXPECT_TRUE(baseutil::ReadNumberFromReg(key.get(), "written", value));
    EXPECT_EQ(static_cast<int>(value), -1);
}

TEST_F(RegistryTest, StringsOfAnyLengthAndUnterminatedOnesReadBack)
{
    std::string big(100000, 'x');
    ASSERT_TRUE(baseutil::WriteToReg(key.get(), "big", big.c_str()));
    SetRaw("unterminated", REG_SZ, "abc", 3);
    SetRaw("embedded", REG_SZ, "ab\0cd", 6);
    DWORD number = 3;
    SetRaw("number", REG_DWORD, &number, 4);

    std::string value;
    EXPECT_TRUE(baseutil::ReadFromReg(key.get(), "big", value));
    EXPECT_EQ(value, big);
    EXPECT_TRUE(baseutil::ReadFromReg(key.get(), "unterminated", value));
    EXPECT_EQ(value, "abc");
    EXPECT_TRUE(baseutil::ReadFromReg(key.get(), "embedded", value));
    EXPECT_EQ(value, "ab");
    value = "kept";
    EXPECT_FALSE(baseutil::ReadFromReg(key.get(), "number", value));
    EXPECT_FALSE(baseutil::ReadFromReg(key.get(), "missing", value));
    EXPECT_EQ(value, "kept");
}

TEST(IniTest, LongValuesAreReadWhole)
{
    TempFolder temp;
    std::string ini = temp / "t.ini";
    std::string big(20000, 'v');
    ::WritePrivateProfileStringA("s", "k", big.c_str(), ini.c_str());
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("s", "k", "d", ini.c_str()), big);
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("s", "other", "d", ini.c_str()), "d");
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("S", "K", "d", ini.c_str()), big) << "names ignore case";
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("s", "k", "d", (temp / "none.ini").c_str()), "d");
}

TEST(TextTest, SplitKeepsEmptyPieces)
{
    struct Case
    {
        const char *text;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {{"a\nb", {"a", "b"}}, {"", {""}}, {"\n", {"", ""}}, {"a\n\nb\n", {"a", "", "b", ""}}};
    for (const Case &c : cases)
    {
        std::vector<std::string> pieces{"stale"};
        baseutil::split(pieces, c.text, '\n');
        EXPECT_EQ(pieces, c.pieces) << c.text;
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
}

class HostApiTest : public HostFixture
{
};

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

    host->RefuseSettings(true);
    EXPECT_EQ(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn), nullptr);
    EXPECT_EQ(hostapi::GetPlugInRegKey(nullptr, CLSID_MimicPlugIn), nullptr);
}

TEST_F(HostApiTest, OpenPlugInsAreFoundOnlyWhileOpen)
{
    IWorkspaceManager *ws = reinterpret_cast<IWorkspaceManager *>(0x1);
    EXPECT_EQ(hostapi::ConnectOpenPlugIn(Framework(), false, CLSID_WorkspaceManager, IID_IWorkspaceManager,
                                         reinterpret_cast<void **>(&ws)),
              S_OK);
    ASSERT_TRUE(ws);
    mimic::UniqueBstr path;
    EXPECT_EQ(ws->GetCurrentWorkspacePath(path.put()), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(path.get()), workDir + "\\proj.wsp");
    ws->Release();

    host->CloseWorkspace();
    ws = reinterpret_cast<IWorkspaceManager *>(0x1);
    EXPECT_NE(hostapi::ConnectOpenPlugIn(Framework(), false, CLSID_WorkspaceManager, IID_IWorkspaceManager,
                                         reinterpret_cast<void **>(&ws)),
              S_OK);
    EXPECT_EQ(ws, nullptr);
    EXPECT_EQ(hostapi::ConnectOpenPlugIn(nullptr, false, CLSID_WorkspaceManager, IID_IWorkspaceManager,
                                         reinterpret_cast<void **>(&ws)),
              E_NOINTERFACE);

    // Any open plug-in answers the host's plug-in interface, and only what it implements.
    host->OpenPlugIn(CLSID_HostPlugIn);
    mimic::ComPtr<IPlugIn> plugIn;
    EXPECT_EQ(hostapi::ConnectOpenPlugIn(Framework(), false, CLSID_HostPlugIn, IID_IPlugIn, plugIn.PutVoid()), S_OK);
    EXPECT_TRUE(plugIn);
    EXPECT_EQ(hostapi::ConnectOpenPlugIn(Framework(), false, CLSID_HostPlugIn, IID_IWorkspaceManager,
                                         reinterpret_cast<void **>(&ws)),
              E_NOINTERFACE);
    EXPECT_EQ(ws, nullptr);
    host->ClosePlugIn(CLSID_HostPlugIn);
    EXPECT_EQ(hostapi::ConnectOpenPlugIn(Framework(), false, CLSID_HostPlugIn, IID_IPlugIn, plugIn.PutVoid()), S_FALSE);
}

TEST_F(HostApiTest, FolderTextsAndCommandsGoThroughTheFramework)
{
    EXPECT_EQ(hostapi::GetInstallDir(Framework()).str(), installDir + "\\");
    EXPECT_EQ(hostapi::GetSharedConfig(Framework()).GetString(4).str(), designsDir + "\\");
    EXPECT_EQ(hostapi::GetSharedConfig(Framework()).GetString(3).str(), "");
    EXPECT_EQ(hostapi::GetInstallDir(nullptr).str(), "");
    EXPECT_EQ(hostapi::RunCommand(Framework(), "runscript -perl {a.pl} -1 {b} 2", ""), S_OK);
    ASSERT_EQ(host->CommandLines().size(), 1u);
    EXPECT_EQ(host->CommandLines()[0], "runscript -perl {a.pl} -1 {b} 2");
}

TEST(ProgIdTest, ComesFromTheClassRegistration)
{
    // The scripting runtime's file system object is registered in every prefix.
    const CLSID fso = {0x0D43FE01, 0xF093, 0x11CF, {0x89, 0x40, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0x28}};
    hostapi::KFString progId;
    EXPECT_TRUE(hostapi::ProgIDFromCLSID(fso, progId));
    EXPECT_EQ(progId.str(), "Scripting.FileSystemObject");
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_FALSE(hostapi::ProgIDFromCLSID(unknown, progId));
    EXPECT_TRUE(progId.IsEmpty());
}

TEST(CommandInterpreterTest, RunScriptLinesAreTakenApartAsTheyWereBuilt)
{
    struct Case
    {
        const char *line;
        bool ok;
        const char *script, *cookie, *file, *count;
    };
    const Case cases[] = {
        {"runscript -perl {C:\\Work\\fix.pl} -1 {top.bde} 3", true, "C:\\Work\\fix.pl", "-1", "top.bde", "3"},
        {"runscript -perl {C:\\a.pl} -1 {y {1}.bde} -2", true, "C:\\a.pl", "-1", "y {1}.bde", "-2"},
        {"runscript -perl {C:\\a.pl} -1 {} 1", true, "C:\\a.pl", "-1", "", "1"},
        {"runscript -python {a} -1 {b} 1", false, "", "", "", ""},
        {"runscript -perl {a} -1 {b}", false, "", "", "", ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.line);
        refhost::RunScriptCommand command;
        ASSERT_EQ(refhost::ParseRunScript(c.line, command), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(command.script, c.script);
        EXPECT_EQ(command.cookie, c.cookie);
        EXPECT_EQ(command.file, c.file);
        EXPECT_EQ(command.count, c.count);
    }
}

} // namespace
