#include <gtest/gtest.h>

#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/TaskProperties.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::ActionEntry;
using mimic::CTaskProperties;
using refhost::AccelCall;
using namespace testsupport;

namespace {

// Whether the control itself is shown (the dialog may not be on screen yet).
bool Shown(ModalWindow &w, int id)
{
    return (::GetWindowLongA(::GetDlgItem(w.Handle(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

class ActionPropertiesTest : public HostFixture
{
protected:
    void SetUp() override
    {
        for (auto [global, name, accel, repeat] : {std::tuple{false, "act5", "Ctrl+5", "2"},
                                                   {false, "upper", "Ctrl+7", "1"},
                                                   {false, "lower", "ctrl+7", "1"},
                                                   {true, "shared", "Ctrl+P", "1"}})
        {
            const std::string &folder = global ? globalDir : localDir;
            AddScript(folder, std::string(name) + ".pl", std::string("# ") + name + "\n");
            WriteIni(folder, name, "PlayMode", repeat);
            WriteIni(folder, name, "Accel", accel);
        }
        catalogue.SetFramework(Framework());
    }

    ActionEntry *Find(const std::string &name)
    {
        for (ActionEntry &e : catalogue.Entries())
            if (e.strName == name)
                return &e;
        return nullptr;
    }

    std::string IniValue(const std::string &folder, const char *section, const char *key)
    {
        return baseutil::GetPrivateProfileStringA(section, key, "-", (folder + "\\mimic.ini").c_str());
    }
    // act5's section in a folder: "PlayMode|Accel|FilePath|AddToMenu", "-" for each key absent.
    std::string Section(const std::string &folder)
    {
        std::string text;
        for (const char *key : {"PlayMode", "Accel", "FilePath", "AddToMenu"})
            text += (text.empty() ? "" : "|") + IniValue(folder, "act5", key);
        return text;
    }

    INT_PTR Run(CTaskProperties &dlg, ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        return RunModal(dlg, "Action Properties", std::move(step), outer);
    }

    ActionCatalogue catalogue;
};

// A new action's hotkey is taken from the others by the recording it starts, not by the dialog.
TEST_F(ActionPropertiesTest, NewModeOkFollowsAUsableNameAndARepeatCountAndLeavesOtherHotkeys)
{
    CTaskProperties dlg(Framework(), nullptr, catalogue);
    ActionEntry initial;
    initial.strAccel = "Ctrl+7";
    dlg.SetInitialEntry(initial);
    ModalDriver driver;
    driver.Expect("Warning", [](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Please specify an integer value for repeat time.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        EXPECT_EQ(box.Buttons(), std::vector<std::string>{"OK"});
        box.Click(IDOK);
    });
    EXPECT_EQ(Run(
                  dlg,
                  [](ModalWindow &w) {
                      EXPECT_EQ(::GetFocus(), ::GetDlgItem(w.Handle(), IDC_TP_NAME));
                      EXPECT_EQ(w.Text(IDC_TP_REPEAT), "1");
                      EXPECT_FALSE(w.IsEnabled(IDOK)) << "empty name";
                      for (const char *bad : {"   ", "a/b", "a\\b", "..", "what?", "x:y", "tab\there", "<a>", "a|b",
                                              "\"q\"", "*"})
                      {
                          w.SetText(IDC_TP_NAME, bad);
                          EXPECT_FALSE(w.IsEnabled(IDOK)) << bad;
                      }
                      w.SetText(IDC_TP_NAME, "  ");
                      w.SetText(IDC_TP_REPEAT, "5");
                      EXPECT_FALSE(w.IsEnabled(IDOK)) << "a repeat change does not enable OK without a name";
                      w.SetText(IDC_TP_NAME, "  my action.v2  ");
                      EXPECT_TRUE(w.IsEnabled(IDOK));
                      EXPECT_EQ(w.Text(IDC_TP_CURRENT), "Ctrl+7");
                      EXPECT_EQ(w.Text(IDC_TP_NEW), "Ctrl+7");
                      for (const char *big : {"1000", "99999999999"}) // the second beyond any integer
                      {
                          w.SetText(IDC_TP_REPEAT, big);
                          EXPECT_EQ(w.Text(IDC_TP_REPEAT), "999");
                      }
                      w.SetText(IDC_TP_REPEAT, "");
                      EXPECT_FALSE(w.IsEnabled(IDOK));
                      w.SetText(IDC_TP_REPEAT, "0");
                      EXPECT_TRUE(w.IsEnabled(IDOK));
                      w.Click(IDOK);
                  },
                  &driver),
              IDOK);
    EXPECT_EQ(dlg.m_entry.strName, "my action.v2");
    EXPECT_EQ(dlg.m_entry.nRepeat, 0) << "0 is not corrected";
    EXPECT_EQ(dlg.m_entry.strAccel, "Ctrl+7");
    EXPECT_FALSE(dlg.m_entry.bGlobal);
    EXPECT_EQ(Find("upper")->strAccel, "Ctrl+7");
    EXPECT_EQ(IniValue(localDir, "upper", "Accel"), "Ctrl+7");
}

TEST_F(ActionPropertiesTest, EditModeShowsTheActionAndWhoOwnsAPressedCombination)
{
    host->BindKey(CLSID_HostPlugIn, FCONTROL, 'P', "Print Preview");
    host->BindKey(CLSID_HostGlobalCommands, FCONTROL | FSHIFT, 'S', "Save All");
    ActionEntry edited = *Find("act5");
    CTaskProperties dlg(Framework(), nullptr, catalogue);
    dlg.SetEditEntry(&edited);
    host->ClearAccelCalls();
    Run(dlg, [&](ModalWindow &w) {
        EXPECT_EQ(w.Text(IDC_TP_NAME), "act5");
        EXPECT_FALSE(w.IsEnabled(IDC_TP_NAME));
        EXPECT_EQ(w.Text(IDC_TP_REPEAT), "2");
        EXPECT_EQ(w.Text(IDC_TP_CURRENT), "Ctrl+5");
        EXPECT_EQ(w.Text(IDC_TP_NEW), "Ctrl+5");
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: act5, Ctrl+5");
        EXPECT_TRUE(w.IsEnabled(IDC_TP_REMOVE));
        EXPECT_TRUE(w.IsEnabled(IDC_TP_ASSIGN));
        EXPECT_FALSE(Shown(w, IDC_TP_WARNING));

        // A host command wins over the action that holds the same keys.
        w.PressKey(IDC_TP_NEW, 'P', true);
        EXPECT_EQ(w.Text(IDC_TP_NEW), "Ctrl+P");
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: Print Preview");
        EXPECT_EQ(w.Text(IDC_TP_WARNING), "Global hotkey cannot be assigned to this action");
        EXPECT_TRUE(Shown(w, IDC_TP_WARNING));
        EXPECT_FALSE(w.IsEnabled(IDC_TP_ASSIGN));

        // The third context is asked too, after the other two.
        host->ClearAccelCalls();
        w.PressKey(IDC_TP_NEW, 'S', true, false, true);
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: Save All");
        std::vector<std::string> asked;
        for (const AccelCall &c : host->AccelCalls())
            if (c.op == AccelCall::KeyLookup)
                asked.push_back(c.context);
        EXPECT_EQ(asked, (std::vector<std::string>{"editor", "plugin", "global"}));

        w.PressKey(IDC_TP_NEW, 'Q', true);
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\n[unassigned]");
        EXPECT_FALSE(Shown(w, IDC_TP_WARNING));
        EXPECT_TRUE(w.IsEnabled(IDC_TP_ASSIGN));
        w.Click(IDCANCEL);
    });
    EXPECT_FALSE(dlg.m_bModified);
    EXPECT_EQ(edited.strAccel, "Ctrl+5");
}

TEST_F(ActionPropertiesTest, ModifiedOnlyForSettingsThatChanged)
{
    struct Case
    {
        const char *what;
        std::function<void(ModalWindow &)> change;
        bool modified;
    };
    const Case cases[] = {
        {"nothing", [](ModalWindow &) {}, false},
        {"repeat", [](ModalWindow &w) { w.SetText(IDC_TP_REPEAT, "3"); }, true},
        {"menu", [](ModalWindow &w) { w.Click(IDC_TP_MENU); }, true},
        {"hotkey assigned", [](ModalWindow &w) { w.PressKey(IDC_TP_NEW, 'K', true), w.Click(IDC_TP_ASSIGN); }, true},
        // The same text: not a change.
        {"hotkey in another case", [](ModalWindow &w) { w.PressKey(IDC_TP_NEW, '5', true), w.Click(IDC_TP_ASSIGN); },
         false},
        {"hotkey removed", [](ModalWindow &w) { w.Click(IDC_TP_REMOVE); }, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        ActionEntry edited = *Find("act5");
        edited.strName = "act5 "; // a name that differs only by blanks
        CTaskProperties dlg(Framework(), nullptr, catalogue);
        dlg.SetEditEntry(&edited);
        Run(dlg, [&](ModalWindow &w) { c.change(w), w.Click(IDOK); });
        EXPECT_EQ(dlg.m_bModified, c.modified);
        EXPECT_EQ(edited.strName, "act5");
        EXPECT_FALSE(edited.bGlobal);
    }
}

TEST_F(ActionPropertiesTest, AssigningAnOwnedHotkeyTakesItAwayOnOk)
{
    ActionEntry edited = *Find("act5");
    CTaskProperties dlg(Framework(), nullptr, catalogue);
    dlg.SetEditEntry(&edited);
    Run(dlg, [&](ModalWindow &w) {
        w.PressKey(IDC_TP_NEW, '7', true);
        const ActionEntry *owner = catalogue.FindByAccel("Ctrl+7"); // upper or lower: the first listed
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: " + owner->strName + ", " + owner->strAccel);
        w.Click(IDC_TP_ASSIGN);
        EXPECT_EQ(w.Text(IDC_TP_CURRENT), "Ctrl+7");
        w.Click(IDOK);
    });
    EXPECT_EQ(edited.strAccel, "Ctrl+7");
    EXPECT_EQ(Find("upper")->strAccel, "");
    EXPECT_EQ(IniValue(localDir, "upper", "Accel"), "");
    EXPECT_EQ(Find("lower")->strAccel, "ctrl+7");
}

TEST_F(ActionPropertiesTest, WithoutAWorkspaceEveryActionIsGlobal)
{
    host->CloseWorkspace();
    for (bool editMode : {false, true})
    {
        SCOPED_TRACE(editMode ? "edit mode" : "new mode");
        ActionEntry edited = *Find("act5");
        CTaskProperties dlg(Framework(), nullptr, catalogue);
        if (editMode)
            dlg.SetEditEntry(&edited);
        Run(dlg, [](ModalWindow &w) {
            EXPECT_TRUE(w.IsChecked(IDC_TP_GLOBAL));
            EXPECT_FALSE(w.IsEnabled(IDC_TP_GLOBAL));
            w.Click(IDCANCEL);
        });
    }
}

class MoveTest : public ActionPropertiesTest
{
protected:
    // Opens act5 in edit mode, flips "Global action", sets repeat 4 and the menu flag.
    INT_PTR Move(ActionEntry &edited, ModalDriver *outer = nullptr)
    {
        CTaskProperties dlg(Framework(), nullptr, catalogue);
        dlg.SetEditEntry(&edited);
        INT_PTR result = Run(
            dlg,
            [](ModalWindow &w) {
                w.Click(IDC_TP_GLOBAL);
                w.SetText(IDC_TP_REPEAT, "4");
                w.Click(IDC_TP_MENU);
                w.Click(IDOK);
            },
            outer);
        modified = dlg.m_bModified;
        return result;
    }
    bool modified = false;
};

TEST_F(MoveTest, LocalToGlobalAndBackCarriesTheDialogsValues)
{
    ActionEntry edited = *Find("act5");
    EXPECT_EQ(Move(edited), IDOK);
    EXPECT_TRUE(modified);
    EXPECT_FALSE(FileExists(localDir + "\\act5.pl"));
    EXPECT_EQ(ReadTextFile(globalDir + "\\act5.pl"), "# act5\n");
    EXPECT_EQ(Section(localDir), "-|-|-|-");
    EXPECT_EQ(Section(globalDir), "4|Ctrl+5|" + globalDir + "\\act5.pl|1");
    EXPECT_EQ(std::make_tuple(edited.bGlobal, edited.nRepeat, edited.bMenu, edited.strPath),
              std::make_tuple(true, 4, true, globalDir + "\\act5.pl"));

    // What the caller saves afterwards keeps the values the user set.
    catalogue.SaveEntry(edited);
    EXPECT_EQ(IniValue(globalDir, "act5", "PlayMode"), "4");

    EXPECT_EQ(Move(edited), IDOK); // and back, flipping the menu flag off again
    EXPECT_TRUE(FileExists(localDir + "\\act5.pl"));
    EXPECT_FALSE(FileExists(globalDir + "\\act5.pl"));
    EXPECT_EQ(Section(globalDir), "-|-|-|-");
    EXPECT_EQ(Section(localDir), "4|Ctrl+5|" + localDir + "\\act5.pl|0");
    EXPECT_FALSE(edited.bGlobal);
}

TEST_F(MoveTest, AnExistingTargetIsReplacedOnlyOnYes)
{
    AddScript(globalDir, "act5.pl", "# other\n");
    for (int answer : {IDNO, IDYES})
    {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        ActionEntry edited = *Find("act5");
        ModalDriver driver;
        driver.Answer("Warning", answer);
        EXPECT_EQ(Move(edited, &driver), IDOK);
        EXPECT_TRUE(modified);
        EXPECT_EQ(edited.bGlobal, answer == IDYES);
        EXPECT_EQ(FileExists(localDir + "\\act5.pl"), answer == IDNO);
        EXPECT_EQ(ReadTextFile(globalDir + "\\act5.pl"), answer == IDYES ? "# act5\n" : "# other\n");
    }
}

TEST_F(MoveTest, AFailedCopyIsReportedWithTheSystemsText)
{
    ActionEntry edited = *Find("act5");
    ::DeleteFileA(edited.strPath.c_str());
    std::string shown;
    ModalDriver driver;
    driver.Expect("NEXO Action Recorder/Player", [&](ModalWindow &box) {
        shown = box.MessageText();
        EXPECT_EQ(box.Icon(), MsgIcon::Error);
        box.Click(IDOK);
    });
    EXPECT_EQ(Move(edited, &driver), IDOK);
    const std::string prefix = "Can't save " + localDir + "\\act5.pl file. ";
    ASSERT_EQ(shown.compare(0, prefix.size(), prefix), 0) << shown;
    EXPECT_GT(shown.size(), prefix.size() + 3) << "the platform's text follows";
    EXPECT_FALSE(edited.bGlobal);
    EXPECT_EQ(edited.nRepeat, 2);
    EXPECT_EQ(Section(localDir), "2|Ctrl+5|-|-");
}

TEST_F(MoveTest, OneFolderForBothLosesNothing)
{
    SetSetting("Global Path", localDir);
    catalogue.Load();
    ActionEntry edited = *Find("act5");
    EXPECT_EQ(Move(edited), IDOK);
    EXPECT_EQ(ReadTextFile(localDir + "\\act5.pl"), "# act5\n");
    EXPECT_EQ(Section(localDir), "4|Ctrl+5|" + localDir + "\\act5.pl|1");
}

} // namespace
