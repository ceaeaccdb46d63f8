#include <gtest/gtest.h>

#include "host/GridCtrl.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/TaskManager.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using namespace testsupport;

namespace {

// The grid of the dialog the step works on.
struct Grid
{
    explicit Grid(ModalWindow &w) { grid.Attach(::GetDlgItem(w.Handle(), IDC_TM_GRID)); }
    std::vector<HGCROW> Rows(UINT flags = GCRS_ALL) const
    {
        std::vector<HGCROW> rows;
        for (auto it = grid.begin(flags); it != grid.end(); ++it)
            rows.push_back(*it);
        return rows;
    }
    std::string Cell(HGCROW row, int column) const
    {
        GC_ITEM item;
        item.mask = GCIF_TEXT;
        item.row = row;
        item.column = column;
        grid.GetItem(item);
        return item.text;
    }
    bool Checked(HGCROW row) const
    {
        GC_ITEM item;
        item.mask = GCIF_CHECK;
        item.row = row;
        item.column = 3;
        grid.GetItem(item);
        return item.checkState != 0;
    }
    HGCROW Row(const std::string &name) const
    {
        for (HGCROW row : Rows())
            if (Cell(row, 1) == name)
                return row;
        ADD_FAILURE() << "no row " << name;
        return nullptr;
    }
    void Select(std::initializer_list<const char *> names)
    {
        for (HGCROW row : Rows())
            grid.SelectRow(row, false);
        for (const char *name : names)
            grid.SelectRow(Row(name), true);
    }
    KGridCtrl grid;
};

class ActionManagerTest : public HostFixture
{
protected:
    void AddAction(const std::string &folder, const char *name, const char *accel = "", bool menu = false)
    {
        AddScript(folder, std::string(name) + ".pl");
        WriteIni(folder, name, "Accel", accel);
        WriteIni(folder, name, "AddToMenu", menu ? "1" : "0");
    }
    void Load() { catalogue.SetFramework(Framework()); }

    INT_PTR Run(ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        mimic::CTaskManager dlg(Framework(), nullptr, catalogue);
        return RunModal(dlg, "Action Manager", std::move(step), outer);
    }
    std::string Ini(const std::string &folder) { return ReadTextFile(folder + "\\mimic.ini"); }
    std::string LastMacro()
    {
        mimic::UniqueHKey key;
        std::string value;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, KEY_READ,
                            key.put()) == ERROR_SUCCESS)
            baseutil::ReadFromReg(key.get(), "Last Macro Path", value);
        return value;
    }

    ActionCatalogue catalogue;
};

TEST_F(ActionManagerTest, AnEmptyCatalogueGivesAnEmptyGridAndNoRemoveOrProperties)
{
    Load();
    Run([](ModalWindow &w) {
        EXPECT_TRUE(Grid(w).Rows().empty());
        EXPECT_FALSE(w.IsEnabled(IDC_TM_REMOVE));
        EXPECT_FALSE(w.IsEnabled(IDC_TM_PROPERTIES));
        EXPECT_TRUE(w.IsEnabled(IDC_TM_ADD));
        w.Click(IDCANCEL);
    });
}

TEST_F(ActionManagerTest, RowsShowFolderNameHotkeyAndMenuInCatalogueOrder)
{
    AddAction(localDir, "place", "Ctrl+1", true);
    AddAction(globalDir, "route", "", false);
    Load();
    Run([&](ModalWindow &w) {
        Grid g(w);
        ASSERT_EQ(g.Rows().size(), 2u);
        HGCROW first = g.Rows()[0], second = g.Rows()[1];
        EXPECT_EQ(g.Cell(first, 0) + "|" + g.Cell(first, 1) + "|" + g.Cell(first, 2), "L|place|Ctrl+1");
        EXPECT_TRUE(g.Checked(first));
        EXPECT_EQ(g.Cell(second, 0) + "|" + g.Cell(second, 1) + "|" + g.Cell(second, 2), "G|route|");
        EXPECT_FALSE(g.Checked(second));
        EXPECT_TRUE(w.IsEnabled(IDC_TM_REMOVE)) << "enabled with actions, even without a selection";
        EXPECT_TRUE(w.IsEnabled(IDC_TM_PROPERTIES));
        EXPECT_TRUE(::GetFocus() == g.grid.ListView()) << "the grid has the focus";
        w.Click(IDC_TM_PROPERTIES); // nothing selected: nothing happens
        w.Click(IDCANCEL);
    });
}

TEST_F(ActionManagerTest, TheSelectionDecidesTheButtons)
{
    AddAction(localDir, "a");
    AddAction(localDir, "b");
    Load();
    ModalDriver driver;
    driver.Answer("Warning", IDYES).Answer("Warning", IDNO);
    Run(
        [&](ModalWindow &w) {
            Grid g(w);
            // Nothing selected on opening: Remove asks, and Yes only reloads.
            ASSERT_TRUE(g.Rows(GCRS_SELECTED).empty());
            w.Click(IDC_TM_REMOVE);
            EXPECT_EQ(g.Rows().size(), 2u);
            EXPECT_FALSE(w.IsEnabled(IDC_TM_REMOVE));
            EXPECT_FALSE(w.IsEnabled(IDC_TM_PROPERTIES));

            g.Select({"a", "b"});
            EXPECT_TRUE(w.IsEnabled(IDC_TM_REMOVE));
            EXPECT_FALSE(w.IsEnabled(IDC_TM_PROPERTIES));
            g.Select({"a"});
            EXPECT_TRUE(w.IsEnabled(IDC_TM_PROPERTIES));
            g.Select({});
            EXPECT_FALSE(w.IsEnabled(IDC_TM_REMOVE));
            EXPECT_FALSE(w.IsEnabled(IDC_TM_PROPERTIES));

            g.Select({"a", "b"});
            w.Click(IDC_TM_REMOVE); // No
            EXPECT_TRUE(w.IsEnabled(IDC_TM_REMOVE));
            EXPECT_TRUE(w.IsEnabled(IDC_TM_PROPERTIES)) << "after the question both follow the selection";
            w.Click(IDCANCEL);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 3u);
    EXPECT_EQ(driver.Seen()[1].text, "Do you really want to remove action(s) from the disc?");
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Warning);
    EXPECT_TRUE(FileExists(localDir + "\\a.pl"));
}

TEST_F(ActionManagerTest, RemovingTheLastActionForgetsItAndOnlyIt)
{
    AddAction(localDir, "a");
    AddAction(localDir, "b");
    AddAction(localDir, "c");
    SetSetting("Last Macro Path", localDir + "\\a.pl");
    Load();
    ModalDriver driver;
    driver.Answer("Warning", IDYES).Answer("Warning", IDYES);
    Run(
        [&](ModalWindow &w) {
            Grid g(w);
            g.Select({"b"});
            w.TypeKey(VK_DELETE); // the Delete key in the grid removes
            EXPECT_EQ(g.Rows().size(), 2u);
            g.Select({"a"});
            w.Click(IDC_TM_REMOVE);
            ASSERT_EQ(g.Rows().size(), 1u);
            EXPECT_EQ(g.Cell(g.Rows()[0], 1), "c");
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_FALSE(FileExists(localDir + "\\a.pl"));
    EXPECT_FALSE(FileExists(localDir + "\\b.pl"));
    EXPECT_EQ(Ini(localDir).find("[a]"), std::string::npos);
    EXPECT_EQ(Ini(localDir).find("[b]"), std::string::npos);
    EXPECT_NE(Ini(localDir).find("[c]"), std::string::npos);
    EXPECT_EQ(LastMacro(), "");

    SetSetting("Last Macro Path", localDir + "\\c.pl");
    AddAction(localDir, "d");
    catalogue.Reload(false);
    ModalDriver again;
    again.Answer("Warning", IDYES);
    Run(
        [&](ModalWindow &w) {
            Grid(w).Select({"d"});
            w.Click(IDC_TM_REMOVE);
            w.Click(IDCANCEL);
        },
        &again);
    EXPECT_EQ(LastMacro(), localDir + "\\c.pl");
}

TEST_F(ActionManagerTest, MenuChoicesAreWrittenOnOkOnlyWhereTheyChanged)
{
    AddAction(localDir, "on", "", true);
    AddAction(localDir, "off", "", false);
    AddScript(localDir, "bare.pl"); // no section at all
    Load();
    const std::string before = Ini(localDir);

    Run([](ModalWindow &w) {
        Grid(w).Select({"off"});
        w.TypeKey(VK_SPACE);
        EXPECT_TRUE(Grid(w).Checked(Grid(w).Row("off")));
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(Ini(localDir), before) << "Cancel writes nothing";

    Run([](ModalWindow &w) {
        Grid g(w);
        g.Select({"off"});
        w.TypeKey(VK_SPACE);
        w.Click(IDC_TM_REFRESH);
        EXPECT_FALSE(g.Checked(g.Row("off"))) << "a refill shows the stored state";
        g.Select({"on"});
        w.TypeKey(VK_SPACE);
        w.Click(IDOK);
    });
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("on", "AddToMenu", "?", (localDir + "\\mimic.ini").c_str()), "0");
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("off", "AddToMenu", "?", (localDir + "\\mimic.ini").c_str()), "0");
    EXPECT_EQ(Ini(localDir).find("[bare]"), std::string::npos) << "untouched rows are not written";
}

TEST_F(ActionManagerTest, AnUnsavedMenuToggleTravelsIntoProperties)
{
    AddAction(localDir, "act", "Ctrl+2", false);
    Load();
    ModalDriver driver;
    driver.Expect("Action Properties", [](ModalWindow &p) {
        EXPECT_TRUE(p.IsChecked(IDC_TP_MENU));
        p.SetText(IDC_TP_REPEAT, "6");
        p.Click(IDOK);
    });
    Run(
        [](ModalWindow &w) {
            Grid g(w);
            g.Select({"act"});
            w.TypeKey(VK_SPACE);
            RECT rc = {};
            rc.left = LVIR_BOUNDS;
            ::SendMessageA(g.grid.ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
            ::SendMessageA(g.grid.ListView(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("act", "AddToMenu", "?", (localDir + "\\mimic.ini").c_str()), "1");
    EXPECT_EQ(baseutil::GetPrivateProfileStringA("act", "PlayMode", "?", (localDir + "\\mimic.ini").c_str()), "6");
}

class AddTest : public ActionManagerTest
{
protected:
    void SetUp() override
    {
        host->OpenPlugIn(CLSID_HostPlugIn);
        MakeFolder(source);
        for (const char *name : {"x.pl", "y.pl", "z.pl"})
            AddScript(source, name, std::string("# new ") + name + "\n");
        AddScript(localDir, "y.pl", "# old y\n");
        AddScript(localDir, "z.pl", "# old z\n");
        ::GetCurrentDirectoryA(MAX_PATH, saved);
        ::SetCurrentDirectoryA(source.c_str()); // the file dialog opens where the process stands
        Load();
    }
    void TearDown() override { ::SetCurrentDirectoryA(saved); }

    // Expects the file dialog: checks its box, picks the three files and confirms.
    void PickAll(ModalDriver &driver, bool expectChecked, bool expectEnabled)
    {
        driver.Expect("Add Files (" + source + ")", [=](ModalWindow &f) {
            HWND box = f.FindChild("Button", IDC_AF_GLOBAL);
            EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED, expectChecked);
            EXPECT_EQ(::IsWindowEnabled(box) != FALSE, expectEnabled);
            EXPECT_EQ(f.Text(IDOK), "Add Action");
            ::SetWindowTextA(f.FindChild("Edit", 0x47C), "\"x.pl\" \"y.pl\" \"z.pl\"");
            f.Click(IDOK);
        });
    }
    std::string Section(const std::string &folder, const char *name, const char *key)
    {
        return baseutil::GetPrivateProfileStringA(name, key, "<absent>", (folder + "\\mimic.ini").c_str());
    }

    std::string source = temp / "src";
    char saved[MAX_PATH] = {};
};

TEST_F(AddTest, EachClashIsAskedAndCancelSkipsOnlyThatFile)
{
    ModalDriver driver;
    PickAll(driver, false, true);
    // The platform may return the names in any order: answer by the clash's order.
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDCANCEL); });
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDC_REPLACE); });
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            Grid g(w);
            EXPECT_EQ(g.Rows().size(), 3u) << "refreshed: x and the two old scripts";
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(ReadTextFile(localDir + "\\x.pl"), "# new x.pl\n");
    const bool yFirst = ReadTextFile(localDir + "\\y.pl") == "# old y\n";
    EXPECT_EQ(ReadTextFile(localDir + "\\y.pl"), yFirst ? "# old y\n" : "# new y.pl\n");
    EXPECT_EQ(ReadTextFile(localDir + "\\z.pl"), yFirst ? "# new z.pl\n" : "# old z\n");
    EXPECT_EQ(Section(localDir, "x", "PlayMode"), "1");
    EXPECT_EQ(Section(localDir, "x", "Accel"), "");
    EXPECT_EQ(Section(localDir, "x", "AddToMenu"), "0");
    EXPECT_EQ(Section(localDir, "x", "FilePath"), localDir + "\\x.pl");
    EXPECT_EQ(Section(localDir, yFirst ? "y" : "z", "PlayMode"), "<absent>") << "a skipped file is not saved";
}

TEST_F(AddTest, ReplaceAllCoversTheRestOfOneCommandOnly)
{
    ModalDriver driver;
    PickAll(driver, false, true);
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDOK); }); // Replace All, once
    PickAll(driver, false, true);
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDCANCEL); }); // asked again
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDCANCEL); });
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDCANCEL); });
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            w.Click(IDC_TM_ADD);
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(ReadTextFile(localDir + "\\y.pl"), "# new y.pl\n");
    EXPECT_EQ(ReadTextFile(localDir + "\\z.pl"), "# new z.pl\n");
}

TEST_F(AddTest, WithoutTheHostPlugInFilesCanOnlyBecomeGlobal)
{
    host->ClosePlugIn(CLSID_HostPlugIn);
    ModalDriver driver;
    PickAll(driver, true, false);
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            Grid g(w);
            EXPECT_EQ(g.Cell(g.Row("x"), 0), "G");
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_TRUE(FileExists(globalDir + "\\x.pl"));
    EXPECT_EQ(Section(globalDir, "z", "PlayMode"), "1");
    EXPECT_EQ(ReadTextFile(localDir + "\\z.pl"), "# old z\n");
}

} // namespace
