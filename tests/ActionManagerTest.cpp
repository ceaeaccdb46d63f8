#include <gtest/gtest.h>
#include <optional>

#include "host/GridCtrl.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/Actions.h"
#include "tests/support/ModalDriver.h"
#include "ui/TaskManager.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using namespace testsupport;

namespace {

// The grid's rows, each as "folder|name|hotkey|menu".
std::vector<std::string> Rows(ModalWindow &w)
{
    KGridCtrl grid;
    grid.Attach(::GetDlgItem(w.Handle(), IDC_TM_GRID));
    std::vector<std::string> rows;
    for (auto it = grid.begin(GCRS_ALL); it != grid.end(); ++it)
    {
        std::string text;
        for (int column = 0; column < 4; ++column)
        {
            GC_ITEM item;
            item.mask = column < 3 ? GCIF_TEXT : GCIF_CHECK;
            item.row = *it;
            item.column = column;
            grid.GetItem(item);
            text += column < 3 ? item.text + "|" : std::string(item.checkState ? "1" : "0");
        }
        rows.push_back(text);
    }
    return rows;
}

// "R" for Remove enabled, "P" for Properties, "-" for either disabled.
std::string Buttons(ModalWindow &w)
{
    return std::string(w.IsEnabled(IDC_TM_REMOVE) ? "R" : "-") + (w.IsEnabled(IDC_TM_PROPERTIES) ? "P" : "-");
}

class ActionManagerTest : public HostFixture
{
protected:
    void AddAction(const std::string &folder, const char *name, const char *accel = "", bool menu = false)
    {
        HostFixture::AddAction(folder, name, nullptr, accel, menu ? "1" : "0");
    }
    void Load() { catalogue.SetFramework(Framework()); }

    INT_PTR Run(ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        mimic::CTaskManager dlg(Framework(), nullptr, catalogue);
        return RunModal(dlg, "Action Manager", std::move(step), outer);
    }

    ActionCatalogue catalogue;
};

// Properties with nothing selected does nothing: a dialog it opened would be unexpected. An unsaved menu toggle
// travels into Properties. What a removal does on the disc is ActionOperationsTest's; the grid is refilled from the
// disc. A Yes to the Remove button with a selection is StateTest's.
TEST_F(ActionManagerTest, TheSelectionDecidesTheButtonsAToggleTravelsIntoPropertiesAndRemoveAsks)
{
    AddAction(localDir, "a");
    AddAction(localDir, "b");
    AddAction(localDir, "rename", "Ctrl+1", true);
    AddAction(globalDir, "place", "Ctrl+2");
    Load();
    ModalDriver driver;
    driver.Expect("Action Properties", [](ModalWindow &p) {
        EXPECT_TRUE(p.IsChecked(IDC_TP_MENU));
        p.SetText(IDC_TP_REPEAT, "6");
        p.Click(IDOK);
    });
    driver.Answer("Warning", IDYES).Answer("Warning", IDNO).Answer("Warning", IDYES);
    Run(
        [&](ModalWindow &w) {
            EXPECT_EQ(Buttons(w), "RP") << "enabled with actions, even without a selection";
            w.Click(IDC_TM_PROPERTIES);
            EXPECT_EQ(driver.Pending(), 4u) << "no Properties without a selection";
            SelectActions(w, {"place"});
            ::SetFocus(w.FindChild(WC_LISTVIEWA)); // the Properties click took it
            w.TypeKey(VK_SPACE);
            w.Click(IDC_TM_PROPERTIES);
            SelectActions(w, {});
            w.Click(IDC_TM_REMOVE); // nothing selected: Yes only reloads
            EXPECT_EQ(Buttons(w), "--");
            for (auto [names, buttons] :
                 {std::pair{std::vector<std::string>{"a"}, "RP"}, {{}, "--"}, {{"a", "b"}, "R-"}})
            {
                SelectActions(w, names);
                EXPECT_EQ(Buttons(w), buttons) << names.size();
            }
            w.Click(IDC_TM_REMOVE); // No, with a and b selected
            EXPECT_EQ(Buttons(w), "RP") << "after the question both follow the selection";
            SelectActions(w, {"b"});
            ::SetFocus(w.FindChild(WC_LISTVIEWA));
            w.TypeKey(VK_DELETE);
            EXPECT_EQ(Rows(w), (std::vector<std::string>{"L|a||0", "L|rename|Ctrl+1|1", "G|place|Ctrl+2|1"}));
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(Section(globalDir, "place"), "6|Ctrl+2|" + globalDir + "\\place.pl|1");
    ASSERT_EQ(driver.Seen().size(), 5u);
    EXPECT_EQ(driver.Seen()[2].text, "Do you really want to remove action(s) from the disc?");
    EXPECT_EQ(driver.Seen()[2].icon, MsgIcon::Warning);
}

// At the first OK another copy of the plug-in holds the catalogue file's lock past the wait. Cancel writes nothing.
TEST_F(ActionManagerTest, MenuChoicesAreWrittenOnOkOnlyWhereTheyChangedAndALockedFileKeepsTheBoxes)
{
    AddAction(localDir, "on", "", true);
    AddAction(localDir, "off", "", false);
    AddScript(localDir, "bare.pl"); // no section at all
    Load();
    catalogue.SetLockWait(100);
    const std::string before = ReadTextFile(localDir + "\\mimic.ini");
    std::optional<HeldCatalogueLock> held;
    ModalDriver driver;
    driver.Answer("NEXO Action Recorder/Player", IDOK);
    const auto toggle = [](ModalWindow &w, const char *name) {
        SelectActions(w, {name});
        w.TypeKey(VK_SPACE);
    };
    Run([&](ModalWindow &w) {
        toggle(w, "off");
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(ReadTextFile(localDir + "\\mimic.ini"), before);
    Run(
        [&](ModalWindow &w) {
            toggle(w, "off");
            w.Click(IDC_TM_REFRESH);
            EXPECT_EQ(Rows(w)[1], "L|off||0") << "a refill shows the stored state";
            toggle(w, "on");
            EXPECT_TRUE(held.emplace(localDir).Held());
            w.Click(IDOK);
            EXPECT_EQ(Rows(w)[2], "L|on||0") << "still open, as the user left it";
            held.reset();
            w.Click(IDOK);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 2u) << "the Manager and one message";
    EXPECT_EQ(driver.Seen()[1].text.find("Can't save " + localDir + "\\mimic.ini: "), 0u) << driver.Seen()[1].text;
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Error);
    EXPECT_EQ(Section(localDir, "on").back(), '0');
    EXPECT_EQ(Section(localDir, "off").back(), '0');
    EXPECT_EQ(Section(localDir, "bare"), "-|-|-|-") << "untouched rows are not written";
}

// Which file clashes first is the platform's order; the answers go by the clashes' order: Escape skips one, Replace
// replaces the other, Replace All is asked once. Without the host plug-in the box is checked and disabled; the last
// pick names a file that cannot be an action and one whose copy fails: each is named with its reason. What a clash's
// answer does to the files is ActionOperationsTest's.
TEST_F(ActionManagerTest, TheReplaceDialogAnswersEachClashAndWithoutTheHostPlugInFilesCanOnlyBecomeGlobal)
{
    host->OpenPlugIn(CLSID_HostPlugIn);
    const std::string source = temp / "src", all = "\"x.pl\" \"y.pl\" \"z.pl\"";
    MakeFolder(source);
    for (const char *name : {"x.pl", "y.pl", "z.pl", "w.pl"})
        AddScript(source, name, std::string("# new ") + name + "\n");
    AddScript(source, "notes.txt");
    AddScript(localDir, "y.pl", "# old y\n");
    AddScript(localDir, "z.pl", "# old z\n");
    MakeFolder(globalDir + "\\w.pl");
    CurrentFolder here(source); // the file dialog opens where the process stands
    Load();
    ModalDriver driver;
    const auto pick = [&](bool hostPlugIn, const std::string &picked) {
        driver.Expect("Add Files (" + source + ")", [=](ModalWindow &f) {
            HWND box = f.FindChild("Button", IDC_AF_GLOBAL);
            EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED, !hostPlugIn);
            EXPECT_EQ(::IsWindowEnabled(box) != FALSE, hostPlugIn);
            EXPECT_EQ(host->PlugInReferences(CLSID_HostPlugIn), hostPlugIn ? 1 : 0) << "held until the files are added";
            ::SetWindowTextA(f.FindChild("Edit", 0x47C), picked.c_str());
            f.Click(IDOK);
        });
    };
    pick(true, all);
    driver.Expect("Replace File", [](ModalWindow &r) { r.TypeKey(VK_ESCAPE); });
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDC_REPLACE); });
    pick(true, all);
    driver.Answer("Replace File", IDOK);
    pick(false, "\"notes.txt\" \"z.pl\" \"w.pl\"");
    driver.Answer("Warning", IDOK).Answer("NEXO Action Recorder/Player", IDOK);
    std::string first;
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            first = ReadTextFile(localDir + "\\y.pl") + ReadTextFile(localDir + "\\z.pl");
            w.Click(IDC_TM_ADD);
            host->ClosePlugIn(CLSID_HostPlugIn);
            w.Click(IDC_TM_ADD);
            EXPECT_EQ(Rows(w).back(), "G|z||0") << "the last pick's z, global";
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_TRUE(first == "# old y\n# new z.pl\n" || first == "# new y.pl\n# old z\n") << first;
    ASSERT_EQ(driver.Seen().size(), 9u);
    EXPECT_EQ(driver.Seen()[7].text, "Can't add " + source +
                                         "\\notes.txt: it is not a .pl script, or its name can't be an action's name.");
    EXPECT_EQ(driver.Seen()[7].icon, MsgIcon::Warning);
    const std::string failed = "Can't add " + source + "\\w.pl to " + globalDir + ". ";
    EXPECT_EQ(driver.Seen()[8].text.find(failed), 0u);
    EXPECT_GT(driver.Seen()[8].text.size(), failed.size() + 3) << "the platform's reason follows";
    EXPECT_EQ(driver.Seen()[8].icon, MsgIcon::Error);
}

} // namespace
