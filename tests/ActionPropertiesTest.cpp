#include <gtest/gtest.h>
#include <optional>

#include "library/ActionCatalogue.h"
#include "tests/support/Actions.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/TaskProperties.h"
#include "ui/resource.h"

using mimic::ActionEntry;
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
            AddAction(global ? globalDir : localDir, name, repeat, accel, nullptr);
        catalogue.SetFramework(Framework());
    }

    ActionEntry *Edit(const std::string &name) { return &(edited = *FindAction(catalogue, name)); }
    // In new mode without an entry.
    INT_PTR Run(ActionEntry *entry, ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        dlg.emplace(Framework(), nullptr, catalogue);
        if (entry)
            dlg->SetEditEntry(entry);
        return RunModal(*dlg, "Action Properties", std::move(step), outer);
    }

    mimic::ActionCatalogue catalogue;
    ActionEntry edited;
    std::optional<mimic::CTaskProperties> dlg;
};

// Bad names: devices in any case, with an extension or blanks and dots after them; braces, which the play command
// line cannot carry; the temporary action's name. A new action's hotkey is taken from the others by the recording
// it starts, not by the dialog; a repeat count of 0 is not corrected.
TEST_F(ActionPropertiesTest, NewModeOkFollowsAUsableNameAndARepeatCountAndLeavesOtherHotkeys)
{
    ModalDriver driver;
    driver.Expect("Warning", [](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Please specify an integer value for repeat time.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    dlg.emplace(Framework(), nullptr, catalogue);
    ActionEntry initial;
    initial.strAccel = "Ctrl+7";
    dlg->SetInitialEntry(initial);
    const auto step = [](ModalWindow &w) {
        EXPECT_EQ(w.Text(IDC_TP_REPEAT) + " " + w.Text(IDC_TP_CURRENT) + " " + w.Text(IDC_TP_NEW), "1 Ctrl+7 Ctrl+7");
        EXPECT_FALSE(w.IsEnabled(IDOK)) << "empty name";
        for (const char *bad : {"   ", "a/b", "a\\b", "..", "what?", "x:y", "tab\there", "<a>", "a|b", "\"q\"", "*",
                                "NUL", "con", "nul.txt", "Lpt1 ", "COM1", "aux .x", "prn..", "com0", "LPT\xB9",
                                "CONOUT$", "place} -1 {x", "notes} 2", "{a", "temporary_action", " Temporary_Action "})
        {
            w.SetText(IDC_TP_NAME, bad);
            EXPECT_FALSE(w.IsEnabled(IDOK)) << bad;
        }
        for (const char *good : {"COM10", "console", "nul_x", "LPT", "x.con", "temporary_action2"})
        {
            w.SetText(IDC_TP_NAME, good);
            EXPECT_TRUE(w.IsEnabled(IDOK)) << good;
        }
        w.SetText(IDC_TP_NAME, "  my action.v2  ");
        for (const char *big : {"1000", "99999999999"}) // the second beyond any integer
        {
            w.SetText(IDC_TP_REPEAT, big);
            EXPECT_EQ(w.Text(IDC_TP_REPEAT), "999");
        }
        w.SetText(IDC_TP_REPEAT, "");
        EXPECT_FALSE(w.IsEnabled(IDOK));
        w.SetText(IDC_TP_REPEAT, "0");
        w.Click(IDOK);
    };
    EXPECT_EQ(RunModal(*dlg, "Action Properties", step, &driver), IDOK);
    const ActionEntry &made = dlg->Entry();
    EXPECT_EQ(std::tie(made.strName, made.nRepeat, made.strAccel, made.bGlobal),
              std::make_tuple(std::string("my action.v2"), 0, std::string("Ctrl+7"), false));
    EXPECT_EQ(Section(localDir, "upper"), "1|Ctrl+7|-|-");
}

// A host command wins over the action that holds the same keys; the third context is asked too.
TEST_F(ActionPropertiesTest, EditModeShowsTheActionAndWhoOwnsAPressedCombination)
{
    host->BindKey(CLSID_HostPlugIn, FCONTROL, 'P', "Print Preview");
    host->BindKey(CLSID_HostGlobalCommands, FCONTROL | FSHIFT, 'S', "Save All");
    Run(Edit("act5"), [&](ModalWindow &w) {
        EXPECT_EQ(w.Text(IDC_TP_NAME) + " " + w.Text(IDC_TP_REPEAT) + " " + w.Text(IDC_TP_CURRENT) + " " +
                      w.Text(IDC_TP_NEW) + w.Text(IDC_TP_ASSIGNED),
                  "act5 2 Ctrl+5 Ctrl+5\nCurrently assigned to: act5, Ctrl+5");
        EXPECT_FALSE(w.IsEnabled(IDC_TP_NAME) || Shown(w, IDC_TP_WARNING) || w.IsChecked(IDC_TP_GLOBAL));
        EXPECT_TRUE(w.IsEnabled(IDC_TP_REMOVE) && w.IsEnabled(IDC_TP_ASSIGN));
        w.PressKey(IDC_TP_NEW, 'P', true);
        EXPECT_EQ(w.Text(IDC_TP_NEW) + w.Text(IDC_TP_ASSIGNED), "Ctrl+P\nCurrently assigned to: Print Preview");
        EXPECT_EQ(w.Text(IDC_TP_WARNING), "Global hotkey cannot be assigned to this action");
        EXPECT_TRUE(Shown(w, IDC_TP_WARNING) && !w.IsEnabled(IDC_TP_ASSIGN));
        w.PressKey(IDC_TP_NEW, 'S', true, false, true);
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: Save All");
        w.PressKey(IDC_TP_NEW, 'Q', true);
        EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\n[unassigned]");
        EXPECT_TRUE(!Shown(w, IDC_TP_WARNING) && w.IsEnabled(IDC_TP_ASSIGN));
        w.Click(IDCANCEL);
    });
    EXPECT_FALSE(dlg->Modified());
    EXPECT_EQ(edited.strAccel, "Ctrl+5");
}

// The name differs from the stored one only by blanks, which are no change. Which holder of an assigned hotkey is
// told is the catalogue's first in list order; taking the hotkey from it is the catalogue's ClearAccel
// (CatalogueTest).
TEST_F(ActionPropertiesTest, ModifiedOnlyForSettingsThatChangedAndAnOwnedHotkeyIsTakenAwayOnOk)
{
    const std::tuple<const char *, std::function<void(ModalWindow &)>, bool> cases[] = {
        {"repeat", [](ModalWindow &w) { w.SetText(IDC_TP_REPEAT, "3"); }, true},
        {"menu", [](ModalWindow &w) { w.Click(IDC_TP_MENU); }, true},
        {"the same hotkey", [](ModalWindow &w) { w.PressKey(IDC_TP_NEW, '5', true), w.Click(IDC_TP_ASSIGN); }, false},
        {"hotkey removed", [](ModalWindow &w) { w.Click(IDC_TP_REMOVE); }, true},
        {"hotkey assigned",
         [&](ModalWindow &w) {
             w.PressKey(IDC_TP_NEW, '7', true);
             EXPECT_EQ(w.Text(IDC_TP_ASSIGNED), "\nCurrently assigned to: lower, ctrl+7");
             w.Click(IDC_TP_ASSIGN);
         },
         true},
    };
    for (const auto &[what, change, modified] : cases)
    {
        SCOPED_TRACE(what);
        Edit("act5")->strName = "act5 ";
        Run(&edited, [&change = change](ModalWindow &w) { change(w), w.Click(IDOK); });
        EXPECT_EQ(dlg->Modified(), modified);
        EXPECT_EQ(edited.strName + (edited.bGlobal ? " g" : " l"), "act5 l");
    }
    EXPECT_EQ(edited.strAccel, "Ctrl+7");
    EXPECT_EQ(FindAction(catalogue, "upper")->strAccel, "");
}

// The move itself is the library's (ActionOperationsTest), and so is what stays on the disc: the dialog hands it the
// values the user set and shows its question (answered No, then Yes) and its failure (a script gone), closing with OK
// each time. Another copy of the plug-in holding the local catalogue file's lock (a hotkey that cannot be taken from
// act5, a move into the local folder) or a program holding the old script of a move open ('s') leave the dialog open
// after saying which file (it ends with the Cancel that follows). The platform's reason follows each failure.
TEST_F(ActionPropertiesTest, AMoveOrAHotkeyShowsItsQuestionOrItsFailureAndALockKeepsTheDialogOpen)
{
    catalogue.SetLockWait(100);
    const std::string ini = "Can't save " + localDir + "\\mimic.ini: ", act5 = localDir + "\\act5.pl";
    const std::string clash = "File already exists in the local/global folder.\nDo you want to overwrite it?";
    const std::tuple<const char *, char, int, std::string> cases[] = {
        {"act5", 's', 0, "Can't move the action: " + act5 + " can't be deleted. "},
        {"upper", 'l', 0, ini},
        {"shared", 'l', 0, ini},
        {"act5", '-', IDNO, clash},
        {"act5", '-', IDYES, clash},
        {"upper", '-', 0, "Can't save " + localDir + "\\upper.pl file. "},
    };
    for (const auto &[name, hold, answer, said] : cases)
    {
        SCOPED_TRACE(std::string(name) + " " + hold + std::to_string(answer));
        const bool stays = hold != '-', moved = answer == IDYES;
        if (answer == IDNO) // the clash and the gone script come with the question's row
        {
            AddScript(globalDir, "act5.pl", "# other\n");
            ::DeleteFileA((localDir + "\\upper.pl").c_str());
        }
        std::optional<HeldCatalogueLock> held;
        mimic::UniqueFile script;
        if (hold == 'l')
            ASSERT_TRUE(held.emplace(localDir).Held());
        else if (hold == 's')
            script.reset(::CreateFileA(act5.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
        const ActionEntry before = *FindAction(catalogue, name);
        ModalDriver driver;
        driver.Answer(answer ? "Warning" : "NEXO Action Recorder/Player", answer ? answer : IDOK);
        const auto change = [&](ModalWindow &w) {
            if (!stays || before.strName != "upper")
                w.Click(IDC_TP_GLOBAL);
            if (stays)
            {
                w.PressKey(IDC_TP_NEW, '5', true);
                w.Click(IDC_TP_ASSIGN);
            }
            else
            {
                w.SetText(IDC_TP_REPEAT, "4");
                w.Click(IDC_TP_MENU);
            }
            w.Click(IDOK);
            if (stays)
                w.Click(IDCANCEL);
        };
        EXPECT_EQ(Run(Edit(name), change, &driver), stays ? IDCANCEL : IDOK);
        EXPECT_TRUE(stays || dlg->Modified());
        EXPECT_EQ(std::make_tuple(edited.strAccel, edited.bGlobal, edited.nRepeat, edited.bMenu, edited.strPath),
                  std::make_tuple(before.strAccel, before.bGlobal != moved, moved ? 4 : before.nRepeat,
                                  before.bMenu != moved, moved ? globalDir + "\\act5.pl" : before.strPath));
        EXPECT_EQ(FindAction(catalogue, "act5")->strAccel, "Ctrl+5");
        ASSERT_EQ(driver.Seen().size(), 2u);
        const refhost::SeenWindow &box = driver.Seen()[1];
        EXPECT_TRUE(answer ? box.text == said : box.text.find(said) == 0 && box.text.size() > said.size() + 3)
            << box.text << ": a question exactly, a failure with the platform's reason after it";
        EXPECT_EQ(box.icon, answer ? MsgIcon::Warning : MsgIcon::Error);
    }
}

} // namespace
