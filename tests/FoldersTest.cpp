#include <gtest/gtest.h>

#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"

using mimic::ActionCatalogue;
using namespace testsupport;

namespace {

using FoldersTest = HostFixture;

// Each setting, read by Load, and the folder it turns into; a row holds a case for each folder. "<inst>",
// "<designs>", "<work>" and "<design>" stand for the host's folders.
TEST_F(FoldersTest, SettingsExpandToFolders)
{
    struct Case // design null: no design open
    {
        const char *what, *localSetting, *globalSetting, *design, *local, *global;
    };
    const Case cases[] = {
        {"empty values are defaults", "", "", nullptr, "<work>\\Actions", "<inst>\\Script\\Actions"},
        {"design folder without a design; designs macro eats the backslash", "Current design folder",
         "$(DESIGNS)\\Shared", nullptr, "Current design folder", "<designs>\\Shared"},
        {"workspace form before designs macro; only the first form applies", "$(DESIGNS)\\x Current workspace folder",
         "$(VANTREL)\\a;$(DESIGNS)\\b", nullptr, "<work>\\Actions", "<inst>\\a;$(DESIGNS)\\b"},
        {"macro anywhere in the text; macro at the very end", "X:\\$(VANTREL)\\sub", "$(VANTREL)", nullptr,
         "X:\\<inst>\\sub", "<inst>\\"},
        {"design folder; other case is no macro", "Current design folder", "$(Vantrel)\\Script", "<design>",
         "<design>\\Actions", "$(Vantrel)\\Script"},
    };
    auto expand = [&](std::string s) {
        for (auto [token, value] : {std::pair<std::string, std::string>{"<inst>", installDir},
                                    {"<designs>", designsDir},
                                    {"<work>", workDir},
                                    {"<design>", temp / "design"}})
            for (size_t p; (p = s.find(token)) != std::string::npos;)
                s.replace(p, token.size(), value);
        return s;
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        SetSetting("Local Path", c.localSetting);
        SetSetting("Global Path", c.globalSetting);
        if (c.design)
            host->OpenDesign(expand(c.design));
        else
            host->CloseDesign();
        ActionCatalogue fresh;
        fresh.SetFramework(Framework());
        EXPECT_EQ(fresh.GetLocalPath(), expand(c.local));
        EXPECT_EQ(fresh.GetGlobalPath(), expand(c.global));
    }
}

// Without a workspace the local folder stays a form, which Reload does not retry and Load does. (A folder that is not
// a full path is never scanned: FaultSettingsTest.)
TEST_F(FoldersTest, WithoutAWorkspaceOnlyLoadRetriesTheLocalFolder)
{
    host->CloseWorkspace();
    AddScript(localDir, "l.pl");
    ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    EXPECT_EQ(catalogue.GetLocalPath() + "|" + std::to_string(catalogue.Count()), "Current workspace folder|0");
    host->OpenWorkspace(workDir + "\\proj.wsp");
    catalogue.Reload(false);
    EXPECT_EQ(catalogue.Count(), 0);
    catalogue.Load();
    EXPECT_EQ(catalogue.GetLocalPath() + "|" + std::to_string(catalogue.Count()), localDir + "|1");
}

} // namespace
