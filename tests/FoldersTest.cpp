#include <gtest/gtest.h>

#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"

using mimic::ActionCatalogue;
using namespace testsupport;

namespace {

class FoldersTest : public HostFixture
{
protected:
    ActionCatalogue catalogue;
};

// Each setting, read by Load, and the folder it turns into. "<inst>",
// "<designs>", "<work>" and "<design>" stand for the host's folders.
TEST_F(FoldersTest, SettingsExpandToFolders)
{
    struct Case
    {
        const char *what;
        const char *localSetting;  // null: value absent
        const char *globalSetting; // null: value absent
        bool designOpen;
        const char *local;
        const char *global;
    };
    const Case cases[] = {
        {"defaults", nullptr, nullptr, false, "<work>\\Actions", "<inst>\\Script\\Actions"},
        {"empty values are defaults", "", "", false, "<work>\\Actions", "<inst>\\Script\\Actions"},
        {"designs macro eats the backslash", nullptr, "$(DESIGNS)\\Shared", false, "<work>\\Actions",
         "<designs>\\Shared"},
        {"plain folders stay, existing or not", "D:\\nowhere\\local", "D:\\nowhere\\global", false,
         "D:\\nowhere\\local", "D:\\nowhere\\global"},
        {"design folder without a design", "Current design folder", nullptr, false, "Current design folder",
         "<inst>\\Script\\Actions"},
        {"design folder", "Current design folder", nullptr, true, "<design>\\Actions", "<inst>\\Script\\Actions"},
        {"only the first form applies", nullptr, "$(VANTREL)\\a;$(DESIGNS)\\b", false, "<work>\\Actions",
         "<inst>\\a;$(DESIGNS)\\b"},
        {"workspace form before designs macro", "$(DESIGNS)\\x Current workspace folder", nullptr, false,
         "<work>\\Actions", "<inst>\\Script\\Actions"},
        {"macro anywhere in the text", "X:\\$(VANTREL)\\sub", nullptr, false, "X:\\<inst>\\sub",
         "<inst>\\Script\\Actions"},
        {"macro at the very end", nullptr, "$(VANTREL)", false, "<work>\\Actions", "<inst>\\"},
        {"other case is no macro", nullptr, "$(Vantrel)\\Script", false, "<work>\\Actions", "$(Vantrel)\\Script"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        mimic::UniqueHKey key;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, key.put(), nullptr);
        ::RegDeleteValueA(key.get(), "Local Path");
        ::RegDeleteValueA(key.get(), "Global Path");
        if (c.localSetting)
            SetSetting("Local Path", c.localSetting);
        if (c.globalSetting)
            SetSetting("Global Path", c.globalSetting);
        if (c.designOpen)
            host->OpenDesign(temp / "design");
        else
            host->CloseDesign();

        ActionCatalogue fresh;
        fresh.SetFramework(Framework());
        auto expand = [&](std::string s) {
            for (auto [token, value] : {std::pair<std::string, std::string>{"<inst>", installDir},
                                        {"<designs>", designsDir},
                                        {"<work>", workDir},
                                        {"<design>", temp / "design"}})
                for (size_t p; (p = s.find(token)) != std::string::npos;)
                    s.replace(p, token.size(), value);
            return s;
        };
        EXPECT_EQ(fresh.GetLocalPath(), expand(c.local));
        EXPECT_EQ(fresh.GetGlobalPath(), expand(c.global));
    }
}

TEST_F(FoldersTest, AFolderStillBeginningWithDollarIsNotScanned)
{
    SetSetting("Global Path", "$(OTHER)\\Actions");
    AddScript(localDir, "l.pl");
    AddScript(globalDir, "g.pl");
    catalogue.SetFramework(Framework());
    ASSERT_EQ(catalogue.Count(), 1);
    EXPECT_FALSE(catalogue.Entries()[0].bGlobal);
    EXPECT_EQ(catalogue.GetGlobalPath(), "$(OTHER)\\Actions");
    catalogue.Reload(false);
    EXPECT_EQ(catalogue.Count(), 1);
}

TEST_F(FoldersTest, NoWorkspaceMeansNoLocalActionsUntilTheNextLoad)
{
    host->CloseWorkspace();
    AddScript(localDir, "l.pl");
    AddScript(globalDir, "g.pl");
    catalogue.SetFramework(Framework());
    EXPECT_EQ(catalogue.GetLocalPath(), "Current workspace folder");
    EXPECT_EQ(catalogue.Count(), 1);

    // Reload does not retry a form that does not begin with "$"; Load does.
    host->OpenWorkspace(workDir + "\\proj.wsp");
    catalogue.Reload(false);
    EXPECT_EQ(catalogue.Count(), 1);
    catalogue.Load();
    EXPECT_EQ(catalogue.GetLocalPath(), localDir);
    EXPECT_EQ(catalogue.Count(), 2);
}

TEST_F(FoldersTest, AManagerThatNamesNoFolderLeavesTheSettingAlone)
{
    // Otherwise the folder would become "\Actions", at the root of the drive.
    host->OpenWorkspace("");
    SetSetting("Global Path", "Current design folder");
    host->OpenDesign("");
    catalogue.SetFramework(Framework());
    EXPECT_EQ(catalogue.GetLocalPath(), "Current workspace folder");
    EXPECT_EQ(catalogue.GetGlobalPath(), "Current design folder");
}

TEST_F(FoldersTest, ReloadKeepsTheFoldersOfTheLastLoad)
{
    AddScript(localDir, "l.pl");
    catalogue.SetFramework(Framework());
    std::string other = temp / "other";
    MakeFolder(other);
    AddScript(other, "o1.pl");
    AddScript(other, "o2.pl");
    SetSetting("Local Path", other);

    catalogue.Reload(false);
    EXPECT_EQ(catalogue.GetLocalPath(), localDir) << "Reload does not read the registry";
    EXPECT_EQ(catalogue.Count(), 1);
    catalogue.Load();
    EXPECT_EQ(catalogue.GetLocalPath(), other);
    EXPECT_EQ(catalogue.Count(), 2);
}

TEST_F(FoldersTest, ExpandMacrosNeedsAFramework)
{
    std::string text = "$(VANTREL)\\Script";
    catalogue.ExpandMacros(text);
    EXPECT_EQ(text, "$(VANTREL)\\Script");
    catalogue.SetFramework(Framework());
    catalogue.ExpandMacros(text);
    EXPECT_EQ(text, installDir + "\\Script");
    std::string empty;
    catalogue.ExpandMacros(empty);
    EXPECT_EQ(empty, "");
}

} // namespace
