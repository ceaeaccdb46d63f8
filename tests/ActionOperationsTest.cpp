// Moving, adding and removing actions on real folders and catalogue files,
// without a window: every question is answered by the test.
#include <gtest/gtest.h>
#include <cstdlib>

#include "library/ActionCatalogue.h"
#include "library/ActionOperations.h"
#include "tests/support/HostFixture.h"
#include "tests/support/Actions.h"

using mimic::ActionCatalogue;
using mimic::ActionEntry;
using mimic::ActionOperations;
using mimic::ReplaceAnswer;
using namespace testsupport;

namespace {

class ActionOperationsTest : public HostFixture
{
protected:
    void SetUp() override
    {
        AddAction(localDir, "act5", "2", "Ctrl+5", nullptr);
        AddAction(localDir, "upper", "1", "Ctrl+7", nullptr);
        AddAction(globalDir, "shared", "1", "Ctrl+P", nullptr);
        catalogue.SetFramework(Framework());
        MakeFolder(temp / "src");
        for (std::string name : {"x", "y", "z"})
            sources.push_back(AddScript(temp / "src", name + ".pl", "# new " + name + "\n"));
    }
    ActionEntry Find(const std::string &name) { return *FindAction(catalogue, name); }
    // Moves the edited action to the other folder with the repeat count 4 and
    // the menu flag flipped, answering an overwrite question with confirm.
    bool Move(ActionEntry &edited, bool confirm = false)
    {
        ActionEntry wanted = edited;
        wanted.bGlobal = !edited.bGlobal;
        wanted.nRepeat = 4;
        wanted.bMenu = !edited.bMenu;
        asked = 0;
        return operations.MoveToOtherFolder(edited, wanted, [&] { return ++asked, confirm; }, error);
    }
    // Adds the sources with every clash answered so; returns the clashes asked, by file name.
    std::string Add(ReplaceAnswer answer, bool bGlobal = false, bool added = true)
    {
        std::string clashes;
        EXPECT_EQ(operations.AddFiles(sources, bGlobal,
                                      [&](const std::string &target) {
                                          clashes += FileUtils::GetNameFromFile(target) + " ";
                                          return answer;
                                      }),
                  added);
        return clashes;
    }

    ActionCatalogue catalogue;
    ActionOperations operations{Framework(), catalogue};
    DWORD error = 0xdeadbeef;
    int asked = 0;
    mimic::UniqueFile held;
    std::vector<std::string> sources;
};

TEST_F(ActionOperationsTest, AMoveTakesScriptAndSettingsAlongOnceTheCopyIsMade)
{
    // A global action comes local, taking a hotkey that another action holds.
    ActionEntry shared = Find("shared"), wanted = shared;
    wanted.bGlobal = false;
    wanted.strAccel = "Ctrl+7";
    ASSERT_TRUE(operations.MoveToOtherFolder(shared, wanted, nullptr, error));
    EXPECT_EQ(ReadTextFile(localDir + "\\shared.pl") + "|" + Section(localDir, "shared") + "|" + shared.strAccel,
              "# shared\n|1|Ctrl+7|" + localDir + "\\shared.pl|0|Ctrl+7");
    EXPECT_EQ(FileExists(globalDir + "\\shared.pl") ? "script left" : Section(globalDir, "shared"), "-|-|-|-");
    EXPECT_EQ(Section(localDir, "upper"), "1||" + localDir + "\\upper.pl|0") << "the hotkey was taken away";

    const std::string local = localDir + "\\act5.pl", global = globalDir + "\\act5.pl";
    // Over a script of its name in the other folder: whether the script is held, the answer, whether it moved, the
    // error, the other folder's script after.
    const std::tuple<const char *, bool, bool, bool, DWORD, const char *> cases[] = {
        {"the user keeps", false, false, false, 0, "# other\n"},
        {"the user replaces", false, true, true, 0, "# act5\n"},
        // The script it would have replaced is still there.
        {"the user replaces, of a script that cannot be read", true, true, false, ERROR_SHARING_VIOLATION, "# other\n"},
    };
    for (const auto &[what, hold, confirm, moved, wantedError, globalScript] : cases)
    {
        SCOPED_TRACE(what);
        AddScript(globalDir, "act5.pl", "# other\n");
        WriteIni(globalDir, "act5", nullptr, nullptr);
        AddAction(localDir, "act5", "2", "Ctrl+5", nullptr);
        if (hold)
            held.reset(::CreateFileA(local.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ActionEntry edited = Find("act5");
        EXPECT_EQ(Move(edited, confirm), moved);
        held.reset();
        EXPECT_EQ(std::make_pair(asked, error), std::make_pair(1, wantedError)) << "a refusal is no error";
        EXPECT_EQ(ReadTextFile(global), globalScript);
        EXPECT_EQ(FileExists(local), !moved);
        EXPECT_EQ(Section(localDir, "act5") + " " + Section(globalDir, "act5"),
                  moved ? "-|-|-|- 4|Ctrl+5|" + global + "|1" : "2|Ctrl+5|-|- -|-|-|-");
        EXPECT_EQ(std::make_tuple(edited.bGlobal, edited.nRepeat, edited.bMenu, edited.strPath),
                  moved ? std::make_tuple(true, 4, true, global) : std::make_tuple(false, 2, false, local));
    }
}

// With both settings naming one folder, a move's target is the script itself:
// it must not be deleted first, however the folder or the path is spelled.
TEST_F(ActionOperationsTest, AMoveOntoTheScriptItselfLosesNothing)
{
    const std::string script = localDir + "\\act5.pl";
    char shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA(localDir.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(shortName, localDir) << "the scratch folder has a short name of its own";
    std::vector<std::pair<std::string, std::string>> spellings = {// the global setting, the script's path
        {localDir, script}, {localDir, localDir + "\\..\\Actions\\act5.pl"},
        {localDir, shortName + std::string("\\act5.pl")}, {shortName, script}};
    // Under Wine the root of the Unix file system is a drive of its own too.
    if (const char *prefix = std::getenv("WINEPREFIX"))
        spellings.push_back({support::WindowsPathOf(prefix + std::string("/drive_c")) + localDir.substr(2), script});
    for (const auto &[global, path] : spellings)
    {
        SCOPED_TRACE(global + " " + path);
        SetSetting("Global Path", global);
        WriteIni(localDir, "act5", "AddToMenu", nullptr);
        catalogue.Load();
        ActionEntry edited = Find("act5");
        edited.strPath = path;
        ASSERT_TRUE(Move(edited, true));
        EXPECT_EQ(ReadTextFile(script) + std::to_string(asked), "# act5\n0");
        EXPECT_EQ(Section(localDir, "act5"), "4|Ctrl+5|" + global + "\\act5.pl|1");
    }
}

TEST_F(ActionOperationsTest, AMoveBetweenFoldersThatALocaleCallsEqualMovesTheScript)
{
    for (const auto &[local, global] :
         {std::pair{"Strasse", "Stra\xDF" "e"}, {"AE", "\xC6"}, {"Actions", "Act\xAD" "ions"}})
    {
        SCOPED_TRACE(global);
        const std::string localFolder = temp / local, globalFolder = temp / global;
        SetSetting("Local Path", localFolder);
        SetSetting("Global Path", globalFolder);
        MakeFolder(localFolder);
        AddAction(localFolder, "act5", "2", "Ctrl+5", nullptr);
        catalogue.Load();
        ActionEntry edited = Find("act5");
        ASSERT_TRUE(Move(edited));
        EXPECT_EQ(ReadTextFile(globalFolder + "\\act5.pl"), "# act5\n");
        EXPECT_FALSE(FileExists(localFolder + "\\act5.pl"));
    }
}

// Another copy of the plug-in holds the lock of the local folder's catalogue file.
TEST_F(ActionOperationsTest, ALockedCatalogueFileLeavesAnActionWhereItWasAndSaysWhich)
{
    catalogue.SetLockWait(100);
    HeldCatalogueLock held(localDir);
    ASSERT_TRUE(held.Held());
    const std::string ini = localDir + "\\mimic.ini";
    ActionEntry shared = Find("shared");
    EXPECT_FALSE(Move(shared));
    EXPECT_NE(operations.SaveError().find("Can't save " + ini + ": "), std::string::npos) << operations.SaveError();
    EXPECT_FALSE(FileExists(localDir + "\\shared.pl")) << "the copy is taken back";
    EXPECT_EQ(ReadTextFile(globalDir + "\\shared.pl") + Section(globalDir, "shared"), "# shared\n1|Ctrl+P|-|-");
    EXPECT_TRUE(shared.bGlobal);

    // Out of the locked folder: the new section is saved; the old one cannot go, but it names a script that is gone.
    ActionEntry act5 = Find("act5");
    EXPECT_TRUE(Move(act5));
    EXPECT_EQ(operations.SaveError(), "");
    EXPECT_EQ(Section(globalDir, "act5"), "4|Ctrl+5|" + globalDir + "\\act5.pl|1");
    catalogue.Reload(false);
    EXPECT_EQ(FindAction(catalogue, "act5", 0), nullptr);

    // Added files are copied; their settings wait for the lock and say so.
    EXPECT_TRUE(operations.AddFiles({sources[0]}, false, nullptr));
    EXPECT_NE(operations.SaveError().find(ini), std::string::npos);
    EXPECT_EQ(ReadTextFile(localDir + "\\x.pl") + Section(localDir, "x"), "# new x\n-|-|-|-");
}

// The local folder holds an old y and z each time; a file left out keeps no section.
TEST_F(ActionOperationsTest, EachClashIsAnsweredByTheCallersPolicy)
{
    const std::tuple<ReplaceAnswer, bool, const char *, bool> cases[] = { // the answer, global, asked, replaced
        {ReplaceAnswer::Skip, false, "y.pl z.pl ", false},
        {ReplaceAnswer::Replace, false, "y.pl z.pl ", true},
        {ReplaceAnswer::ReplaceAll, false, "y.pl ", true},
        {ReplaceAnswer::Skip, true, "", true}, // into a global folder it makes
    };
    for (auto [answer, bGlobal, asked, replaced] : cases)
    {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(answer) << " " << bGlobal);
        RemoveTree(localDir);
        RemoveTree(globalDir);
        MakeFolder(localDir);
        AddScript(localDir, "y.pl", "# old y\n");
        AddScript(localDir, "z.pl", "# old z\n");
        EXPECT_EQ(Add(answer, bGlobal), asked);
        EXPECT_TRUE(operations.NotAddedFiles().empty()) << "a file the caller left out is no failure";
        const std::string &folder = bGlobal ? globalDir : localDir;
        for (std::string name : {"x", "y", "z"})
        {
            const std::string script = folder + "\\" + name + ".pl";
            EXPECT_EQ(ReadTextFile(script) + "|" + Section(folder, name.c_str()),
                      replaced || name == "x" ? "# new " + name + "\n|1||" + script + "|0"
                                                : "# old " + name + "\n|-|-|-|-");
        }
    }
    // "Replace all" lasts one command: the next asks again, and one that adds nothing says so.
    EXPECT_EQ(Add(ReplaceAnswer::ReplaceAll, true), "x.pl ");
    EXPECT_EQ(Add(ReplaceAnswer::Skip, true, false), "x.pl y.pl z.pl ");
}

// Only action scripts are added, each under a name an action can have: the folder's other files, its catalogue file and
// the temporary action stay as they were, whatever the answer to a clash, and no question comes for a target that does
// not exist.
TEST_F(ActionOperationsTest, OnlyActionScriptsAreAddedAndNoOtherFileOrSectionIsTouched)
{
    const std::string src = temp / "src", localIni = ReadTextFile(localDir + "\\mimic.ini");
    AddScript(localDir, "temporary_action.pl", "# temporary\n");
    sources = {AddScript(src, "act5.txt", "# text\n"), AddScript(src, "mimic.ini", "[act5]\r\nPlayMode=9\r\n"),
               AddScript(src, " upper.pl"), AddScript(src, "place} -1 {x.pl"), AddScript(src, "temporary_action.pl"),
               src + "\\NUL.pl", src + "\\gone.pl", sources[0]};
    EXPECT_EQ(Add(ReplaceAnswer::Replace), "");
    std::string notAdded;
    for (const ActionOperations::NotAdded &file : operations.NotAddedFiles())
        notAdded += FileUtils::GetNameFromFile(file.source) + "=" + std::to_string(file.dwError) + " ";
    EXPECT_EQ(notAdded,
              "act5.txt=0 mimic.ini=0  upper.pl=0 place} -1 {x.pl=0 temporary_action.pl=0 NUL.pl=0 gone.pl=2 ");
    EXPECT_EQ(ReadTextFile(localDir + "\\mimic.ini").compare(0, localIni.size(), localIni), 0);
    for (auto [name, section] : {std::pair{"act5", "2|Ctrl+5|-|-"}, {"upper", "1|Ctrl+7|-|-"},
                                 {"NUL", "-|-|-|-"}, {"temporary_action", "-|-|-|-"}, {"place} -1 {x", "-|-|-|-"}})
        EXPECT_EQ(Section(localDir, name), section) << name;
    EXPECT_EQ(Section(localDir, "x"), "1||" + localDir + "\\x.pl|0");
    EXPECT_EQ(ReadTextFile(localDir + "\\temporary_action.pl"), "# temporary\n");
    for (const char *left : {"act5.txt", " upper.pl", "place} -1 {x.pl", "gone.pl"})
        EXPECT_FALSE(FileExists(localDir + "\\" + left)) << left;
}

TEST_F(ActionOperationsTest, RemovingTakesScriptSectionAndOnlyItsOwnLastActionOnceTheScriptIsGone)
{
    const std::string upper = localDir + "\\upper.pl";
    // The action, the last recording's path before and after.
    const std::tuple<const char *, std::string, std::string> cases[] = {
        {"act5", upper, upper},
        {"upper", localDir + "\\..\\Actions\\UPPER.PL", ""}, // the last action, named another way
    };
    for (const auto &[name, last, lastAfter] : cases)
    {
        SCOPED_TRACE(last);
        SetSetting("Last Macro Path", last);
        const ActionEntry entry = Find(name);
        EXPECT_TRUE(operations.Remove(entry));
        EXPECT_FALSE(FileExists(entry.strPath));
        EXPECT_EQ(Section(localDir, name) + " " + Setting("Last Macro Path"), "-|-|-|- " + lastAfter);
    }
    EXPECT_EQ(ReadTextFile(globalDir + "\\shared.pl") + Section(globalDir, "shared"), "# shared\n1|Ctrl+P|-|-");
}

} // namespace
