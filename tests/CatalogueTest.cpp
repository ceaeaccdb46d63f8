#include <gtest/gtest.h>
#include <algorithm>
#include <set>

#include "library/ActionCatalogue.h"
#include "tests/support/Actions.h"
#include "tests/support/HostFixture.h"

using mimic::ActionCatalogue;
using mimic::ActionEntry;
using refhost::AccelCall;
using namespace testsupport;

namespace {

class CatalogueTest : public HostFixture
{
protected:
    // Three local scripts and two global ones.
    void AddFiveScripts()
    {
        for (const char *n : {"a1.pl", "a2.pl", "a3.pl"})
            AddScript(localDir, n);
        for (const char *n : {"g1.pl", "g2.pl"})
            AddScript(globalDir, n);
    }

    std::set<std::string> Names(bool bGlobal)
    {
        std::set<std::string> names;
        for (const ActionEntry &e : catalogue.Entries())
            if (e.bGlobal == bGlobal)
                names.insert(e.strName);
        return names;
    }

    // The ids of the list, which must run without a gap from the first.
    void ExpectIdsFrom(int first)
    {
        int expected = first;
        for (const ActionEntry &e : catalogue.Entries())
            EXPECT_EQ(e.nCmdId, expected++) << e.strName;
        EXPECT_EQ(catalogue.NextCommandId(), expected);
    }

    // The host's accelerator calls of one kind (all: -1), a line "op context id [flags]" each.
    std::string AccelLog(int only = -1)
    {
        static const char *const ops[] = {"find", "add", "remove", "key"};
        std::string log;
        for (const AccelCall &c : host->AccelCalls())
            if (only < 0 || c.op == only)
                log += std::string(ops[c.op]) + " " + c.context + " " + std::to_string(c.nCmdId) +
                       (c.op == AccelCall::Add ? " " + std::to_string(c.nFlags) : "") + "\n";
        return log;
    }
    // Each id in turn, editor context first: removed, or looked up before it is added with flag 1.
    static std::string Each(const std::string &op, int first, int end)
    {
        std::string log;
        for (int id = first; id < end; ++id)
            for (const std::string &at : {" editor " + std::to_string(id), " plugin " + std::to_string(id)})
                log += op == "remove" ? op + at + "\n" : "find" + at + "\nadd" + at + " 1\n";
        return log;
    }

    ActionEntry *ByName(const std::string &name, bool bGlobal = false) { return FindAction(catalogue, name, bGlobal); }

    ActionCatalogue catalogue;
};

TEST_F(CatalogueTest, ScansLocalThenGlobalRegistersEachIdInBothContextsAndEachReloadWithdrawsEveryIdGiven)
{
    AddFiveScripts();
    catalogue.SetFramework(Framework());
    for (int i = 0; i < catalogue.Count(); ++i)
        EXPECT_EQ(catalogue.Entries()[i].bGlobal, i >= 3) << "local actions come first";
    ExpectIdsFrom(200000);
    EXPECT_EQ(AccelLog(), Each("add", 200000, 200005));

    catalogue.Load();
    ExpectIdsFrom(200005);
    EXPECT_EQ(host->CommandCount(CLSID_EditorDocument), 10u) << "Load withdraws nothing";
    host->ClearAccelCalls();
    catalogue.Reload(false);
    // All ten ids withdrawn, then registered again.
    EXPECT_EQ(AccelLog(), "find editor 200000\n" + Each("remove", 200000, 200010) + Each("add", 200000, 200005));
    ExpectIdsFrom(200000);
    EXPECT_TRUE(catalogue.CommandsAdded());

    // A global-only reload drops the local folder. (That the plug-in's Close withdraws every id: StateTest.)
    catalogue.Reload(true);
    catalogue.ReloadGlobalOnly();
    EXPECT_EQ(Names(true), (std::set<std::string>{"g1", "g2"}));
    EXPECT_EQ(catalogue.Count(), 2);
    EXPECT_EQ(catalogue.GetLocalPath(), "");
    ExpectIdsFrom(200000);
}

TEST_F(CatalogueTest, ReloadWithdrawsNothingTheHostDoesNotKnowAndARefusedSettingsKeyChangesNothing)
{
    AddFiveScripts();
    host->SetAcceleratorsAvailable(false);
    catalogue.SetFramework(Framework());
    ExpectIdsFrom(200000);
    EXPECT_FALSE(catalogue.CommandsAdded());
    EXPECT_TRUE(host->AccelCalls().empty()) << "no service, no calls";

    host->SetAcceleratorsAvailable(true);
    catalogue.Reload(false);
    EXPECT_EQ(AccelLog(AccelCall::Remove), "");
    ExpectIdsFrom(200005);
    EXPECT_TRUE(host->KnowsCommand(CLSID_EditorDocument, 200009));

    // A refused settings key leaves list and folders as they were.
    AddScript(localDir, "late.pl");
    SetSetting("Global Path", temp / "elsewhere");

    host->RefuseSettings(true);
    catalogue.Load();
    catalogue.ReloadGlobalOnly();
    EXPECT_EQ(catalogue.Count(), 5);
    EXPECT_EQ(catalogue.GetLocalPath() + "|" + catalogue.GetGlobalPath(), localDir + "|" + globalDir);
}

TEST_F(CatalogueTest, IniValuesAndTheirDefaults)
{
    // PlayMode, Accel, AddToMenu as written (null: the key is absent), then the repeat, hotkey and menu flag read.
    const std::tuple<const char *, const char *, const char *, const char *, int, const char *, bool> cases[] = {
        {"plain", "3", "Ctrl+5", "1", 3, "Ctrl+5", true},
        {"nosection", nullptr, nullptr, nullptr, 0, "", false},
        {"negative", " -7x", "", "0", 0, "", false},
        {"words", "abc", "Alt+F2", "yes", 0, "Alt+F2", false},
        {"largest", "\t+999", "", "", 999, "", false},
        {"toolarge", "1000", "", "", 0, "", false},
    };
    for (auto [name, playMode, accel, addToMenu, repeat, expectAccel, menu] : cases)
        AddAction(localDir, name, playMode, accel, addToMenu);
    // A section whose script is gone is ignored and stays in the file.
    WriteIni(localDir, "gone", "PlayMode", "4");

    catalogue.SetFramework(Framework());
    ASSERT_EQ(catalogue.Count(), static_cast<int>(std::size(cases)));
    for (auto [name, playMode, accel, addToMenu, repeat, expectAccel, menu] : cases)
    {
        ActionEntry *e = ByName(name);
        ASSERT_TRUE(e) << name;
        EXPECT_EQ(std::make_tuple(e->nRepeat, e->strAccel, e->bMenu), std::make_tuple(repeat, expectAccel, menu))
            << name;
    }
    EXPECT_NE(ReadTextFile(localDir + "\\mimic.ini").find("[gone]"), std::string::npos);
}

// Blanks around a name would give it another action's ini section (the
// profile functions ignore them), and a brace would cut the play command line.
TEST_F(CatalogueTest, OnlyFilesEndingInPlAreActionsNamedWithoutTheExtension)
{
    AddScript(localDir, "upper.PL");
    AddScript(localDir, "a.plan.pl");
    for (const char *other : {"notes.txt", "x.plx", ".pl", " upper.pl", "upper .pl", "place} -1 {x.pl", "notes} 2.pl"})
        AddScript(localDir, other);
    MakeFolder(localDir + "\\folder.pl");

    catalogue.SetFramework(Framework());
    EXPECT_EQ(Names(false), (std::set<std::string>{"upper", "a.plan"}));
}

TEST_F(CatalogueTest, FindByAccelIgnoresCaseWhileClearAccelDoesNot)
{
    for (auto [name, accel] : {std::pair{"one", "Ctrl+3"}, {"two", "ctrl+3"}, {"three", "Ctrl+3"}, {"none", ""},
                               {"sharp", "Ctrl+\xDF"}, {"ash", "Ctrl+\xE6"}})
    {
        AddScript(localDir, std::string(name) + ".pl");
        WriteIni(localDir, name, "Accel", accel);
    }
    catalogue.SetFramework(Framework());

    auto &entries = catalogue.Entries();
    auto first = std::find_if(entries.begin(), entries.end(),
                              [](const ActionEntry &e) { return e.strAccel == "Ctrl+3" || e.strAccel == "ctrl+3"; });
    ASSERT_NE(first, entries.end());
    EXPECT_EQ(catalogue.FindByAccel("CTRL+3"), &*first) << "the first in list order, whatever its case";
    // Letter case only: a locale's equivalents are other keys.
    EXPECT_EQ(catalogue.FindByAccel("Ctrl+\xC6"), ByName("ash"));
    for (const char *other : {"Ctrl+4", "Ctrl+SS", "Ctrl+AE", "Ctrl+\xAD" "3"})
        EXPECT_EQ(catalogue.FindByAccel(other), nullptr) << other;
    EXPECT_EQ(catalogue.FindByAccel(""), ByName("none"));

    ActionEntry lower;
    lower.strAccel = "ctrl+3";
    catalogue.ClearAccel(lower);
    EXPECT_EQ(ByName("one")->strAccel + ByName("two")->strAccel + ByName("three")->strAccel, "Ctrl+3Ctrl+3");

    // Given an element of the list itself, every other holder loses the text; its own action keeps it.
    catalogue.ClearAccel(*ByName("one"));
    EXPECT_EQ(ByName("one")->strAccel + "|" + ByName("three")->strAccel, "Ctrl+3|");
    catalogue.Reload(false);
    EXPECT_EQ(ByName("one")->strAccel + "|" + ByName("two")->strAccel + "|" + ByName("three")->strAccel, "Ctrl+3||")
        << "the cleared hotkeys were saved";
}

TEST_F(CatalogueTest, SameNameInBothFoldersGivesTwoActions)
{
    AddAction(localDir, "build", "2", nullptr, nullptr);
    AddAction(globalDir, "build", "9", nullptr, nullptr);
    catalogue.SetFramework(Framework());
    ASSERT_EQ(catalogue.Count(), 2);
    EXPECT_EQ(catalogue.FindByCommandId(200000), ByName("build", false));
    EXPECT_EQ(catalogue.FindByCommandId(200001)->nRepeat, 9);
    EXPECT_EQ(catalogue.FindByCommandId(200002), nullptr);
}

} // namespace
