#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>

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
    GC_ITEM Item(HGCROW row, int column, UINT mask) const
    {
        GC_ITEM item;
        item.mask = mask;
        item.row = row;
        item.column = column;
        grid.GetItem(item);
        return item;
    }
    std::string Cell(HGCROW row, int column) const { return Item(row, column, GCIF_TEXT).text; }
    bool Checked(HGCROW row) const { return Item(row, 3, GCIF_CHECK).checkState != 0; }
    // A row as "folder|name|hotkey|menu".
    std::string Text(HGCROW row) const
    {
        return Cell(row, 0) + "|" + Cell(row, 1) + "|" + Cell(row, 2) + "|" + (Checked(row) ? "1" : "0");
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
        HostFixture::AddAction(folder, name, nullptr, accel, menu ? "1" : "0");
    }
    void Load() { catalogue.SetFramework(Framework()); }

    INT_PTR Run(ModalDriver::Step step, ModalDriver *outer = nullptr) { return Run(catalogue, std::move(step), outer); }
    INT_PTR Run(ActionCatalogue &cat, ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        mimic::CTaskManager dlg(Framework(), nullptr, cat);
        return RunModal(dlg, "Action Manager", std::move(step), outer);
    }
    std::string Ini(const std::string &folder) { return ReadTextFile(folder + "\\mimic.ini"); }

    ActionCatalogue catalogue;
};

TEST_F(ActionManagerTest, RowsShowFolderNameHotkeyAndMenuInCatalogueOrderAndNoneLeaveOnlyAdd)
{
    AddAction(localDir, "place", "Ctrl+1", true);
    AddAction(globalDir, "route", "", false);
    Load();
    Run([&](ModalWindow &w) {
        Grid g(w);
        ASSERT_EQ(g.Rows().size(), 2u);
        EXPECT_EQ(g.Text(g.Rows()[0]), "L|place|Ctrl+1|1");
        EXPECT_EQ(g.Text(g.Rows()[1]), "G|route||0");
        EXPECT_TRUE(w.IsEnabled(IDC_TM_REMOVE)) << "enabled with actions, even without a selection";
        EXPECT_TRUE(w.IsEnabled(IDC_TM_PROPERTIES));
        EXPECT_TRUE(::GetFocus() == g.grid.ListView()) << "the grid has the focus";
        w.Click(IDC_TM_PROPERTIES); // nothing selected: nothing happens
        w.Click(IDCANCEL);
    });
    ActionCatalogue empty;
    Run(empty, [](ModalWindow &w) {
        EXPECT_TRUE(Grid(w).Rows().empty());
        EXPECT_FALSE(w.IsEnabled(IDC_TM_REMOVE));
        EXPECT_FALSE(w.IsEnabled(IDC_TM_PROPERTIES));
        EXPECT_TRUE(w.IsEnabled(IDC_TM_ADD));
        w.Click(IDCANCEL);
    });
}

TEST_F(ActionManagerTest, TheSelectionDecidesTheButtonsAndWhatRemoveAndTheDeleteKeyTakeOffTheDisc)
{
    AddAction(localDir, "a");
    AddAction(localDir, "b");
    AddAction(localDir, "c");
    Load();
    ModalDriver driver;
    driver.Answer("Warning", IDYES).Answer("Warning", IDNO).Answer("Warning", IDYES).Answer("Warning", IDYES);
    Run(
        [&](ModalWindow &w) {
            Grid g(w);
            // Nothing selected on opening: Remove asks, and Yes only reloads.
            ASSERT_TRUE(g.Rows(GCRS_SELECTED).empty());
            w.Click(IDC_TM_REMOVE);
            EXPECT_EQ(g.Rows().size(), 3u);
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
            EXPECT_EQ(g.Rows().size(), 3u);

            g.Select({"b"});
            ::SetFocus(g.grid.ListView()); // the Delete key goes to the grid
            w.TypeKey(VK_DELETE);
            EXPECT_EQ(g.Rows().size(), 2u);
            g.Select({"a"});
            w.Click(IDC_TM_REMOVE);
            ASSERT_EQ(g.Rows().size(), 1u);
            EXPECT_EQ(g.Cell(g.Rows()[0], 1), "c");
            w.Click(IDCANCEL);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 5u);
    EXPECT_EQ(driver.Seen()[1].text, "Do you really want to remove action(s) from the disc?");
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Warning);
    for (const char *name : {"a", "b", "c"})
    {
        const bool kept = name[0] == 'c';
        EXPECT_EQ(FileExists(localDir + "\\" + name + ".pl"), kept) << name;
        EXPECT_EQ(Section(localDir, name), kept ? "-||-|0" : "-|-|-|-") << name;
    }
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
    EXPECT_EQ(Section(localDir, "on").back(), '0');
    EXPECT_EQ(Section(localDir, "off").back(), '0');
    EXPECT_EQ(Section(localDir, "bare"), "-|-|-|-") << "untouched rows are not written";
}

// Another copy of the plug-in holds the catalogue file's lock past the wait.
TEST_F(ActionManagerTest, OkWhileTheCatalogueFileIsLockedSaysWhichAndKeepsTheBoxes)
{
    AddAction(localDir, "off", "", false);
    Load();
    catalogue.SetLockWait(100);
    auto held = std::make_unique<HeldCatalogueLock>(localDir);
    ASSERT_TRUE(held->Held());
    ModalDriver driver;
    driver.Answer("NEXO Action Recorder/Player", IDOK);
    Run(
        [&](ModalWindow &w) {
            Grid g(w);
            g.Select({"off"});
            w.TypeKey(VK_SPACE);
            w.Click(IDOK);
            EXPECT_TRUE(g.Checked(g.Row("off"))) << "still open, as the user left it";
            held.reset();
            w.Click(IDOK);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 2u) << "the Manager and one message";
    const SeenWindow &told = driver.Seen()[1];
    EXPECT_NE(told.text.find("Can't save " + localDir + "\\mimic.ini: "), std::string::npos) << told.text;
    EXPECT_EQ(told.icon, MsgIcon::Error);
    EXPECT_EQ(Section(localDir, "off").back(), '1');
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
            RECT rc = {LVIR_BOUNDS, 0, 0, 0};
            ::SendMessageA(g.grid.ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
            ::SendMessageA(g.grid.ListView(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(Section(localDir, "act"), "6|Ctrl+2|" + localDir + "\\act.pl|1");
}

TEST_F(ActionManagerTest, TypedLettersSelectTheNextActionByName)
{
    AddAction(localDir, "rename");
    for (const char *name : {"route", "gen", "place"})
        AddAction(globalDir, name);
    Load();
    Run([](ModalWindow &w) {
        Grid g(w);
        g.Select({"rename"});
        ::SetFocus(g.grid.ListView());
        // "L" and "G" only fill the first column; F1 hands back the code of "p".
        const std::pair<UINT, const char *> keys[] = {{'R', "route"}, {'R', "rename"}, {'G', "gen"},
                                                      {'L', "gen"},   {VK_F1, "gen"},  {'P', "place"}};
        for (auto [vk, name] : keys)
        {
            w.TypeKey(vk);
            const std::vector<HGCROW> selected = g.Rows(GCRS_SELECTED);
            ASSERT_EQ(selected.size(), 1u) << name;
            EXPECT_EQ(g.Cell(selected[0], 1), name);
        }
        w.Click(IDCANCEL);
    });
}

// The pixels of a row's Menu check box as the list paints it.
std::vector<COLORREF> MenuBox(HWND list, int row)
{
    RECT client = {}, box = {LVIR_ICON, 3, 0, 0};
    ::GetClientRect(list, &client);
    ::SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&box));
    ::InflateRect(&box, -1, -1); // the focused row's dotted frame runs along the edges
    mimic::WindowDC screen(list);
    mimic::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
    mimic::UniqueHBitmap picture(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    mimic::SelectedObject selected(dc.get(), picture.get());
    ::SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    std::vector<COLORREF> pixels;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            pixels.push_back(::GetPixel(dc.get(), x, y));
    return pixels;
}

TEST_F(ActionManagerTest, ASelectedRowsMenuBoxLooksAsInAnyOtherRow)
{
    AddAction(localDir, "chosen", "", true);
    AddAction(globalDir, "on", "", true);
    AddAction(globalDir, "off", "", false);
    Load();
    Run([](ModalWindow &w) {
        Grid g(w);
        g.Select({"chosen"});
        ::SetFocus(g.grid.ListView()); // the list blends a selected row's images only while it has the focus
        const std::vector<std::string> names = GridNames(w);
        const auto box = [&](const char *name) {
            const auto row = std::find(names.begin(), names.end(), name) - names.begin();
            return MenuBox(g.grid.ListView(), static_cast<int>(row));
        };
        ASSERT_FALSE(box("on").empty());
        EXPECT_TRUE(box("chosen") == box("on"));
        EXPECT_FALSE(box("on") == box("off"));
        w.Click(IDCANCEL);
    });
}

TEST_F(ActionManagerTest, ColumnsFitTheirTitlesAsTheFontGrows)
{
    Load();
    Run([](ModalWindow &w) {
        HWND grid = ::GetDlgItem(w.Handle(), IDC_TM_GRID), list = Grid(w).grid.ListView();
        mimic::UniqueGdi<HFONT> large(
            ::CreateFontA(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
        for (HFONT font : {reinterpret_cast<HFONT>(::SendMessageA(w.Handle(), WM_GETFONT, 0, 0)), large.get()})
        {
            ::SendMessageA(grid, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            mimic::WindowDC dc(list);
            mimic::SelectedObject selected(dc.get(), font);
            for (int column = 0; column < 4; ++column)
            {
                char title[32] = {};
                LVCOLUMNA lvc = {};
                lvc.mask = LVCF_TEXT;
                lvc.pszText = title;
                lvc.cchTextMax = sizeof(title);
                ::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&lvc));
                SIZE size = {};
                ::GetTextExtentPoint32A(dc.get(), title, static_cast<int>(strlen(title)), &size);
                // The header leaves a margin on either side of a title.
                EXPECT_GE(::SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0), size.cx + 12)
                    << title << " at " << (font == large.get() ? "the large font" : "the dialog's font");
            }
        }
        ::SendMessageA(grid, WM_SETFONT, ::SendMessageA(w.Handle(), WM_GETFONT, 0, 0), FALSE);
        w.Click(IDCANCEL);
    });
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

    // Expects the file dialog: checks its box, picks the files (the three by default) and confirms.
    void PickAll(ModalDriver &driver, bool expectChecked, bool expectEnabled,
                 const std::string &picked = "\"x.pl\" \"y.pl\" \"z.pl\"")
    {
        driver.Expect("Add Files (" + source + ")", [=](ModalWindow &f) {
            HWND box = f.FindChild("Button", IDC_AF_GLOBAL);
            EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED, expectChecked);
            EXPECT_EQ(::IsWindowEnabled(box) != FALSE, expectEnabled);
            EXPECT_EQ(f.Text(IDOK), "Add Action");
            // Both host plug-ins are asked for, and what was found is held until the files are added.
            EXPECT_EQ(host->PlugInReferences(CLSID_WorkspaceManager), 1);
            EXPECT_EQ(host->PlugInReferences(CLSID_HostPlugIn), expectEnabled ? 1 : 0);
            ::SetWindowTextA(f.FindChild("Edit", 0x47C), picked.c_str());
            f.Click(IDOK);
        });
    }
    std::string source = temp / "src";
    char saved[MAX_PATH] = {};
};

// Which file clashes first is the platform's order; the answers go by the clashes' order.
TEST_F(AddTest, TheReplaceDialogAnswersEachClashAndWithoutTheHostPlugInFilesCanOnlyBecomeGlobal)
{
    ModalDriver driver;
    PickAll(driver, false, true);
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDCANCEL); });
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDC_REPLACE); });
    PickAll(driver, false, true);
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDOK); }); // Replace All, asked once
    PickAll(driver, true, false);
    std::string first;
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            EXPECT_EQ(Grid(w).Rows().size(), 3u) << "refreshed: x and the two old scripts";
            first = ReadTextFile(localDir + "\\y.pl") + ReadTextFile(localDir + "\\z.pl");
            w.Click(IDC_TM_ADD);
            host->ClosePlugIn(CLSID_HostPlugIn);
            w.Click(IDC_TM_ADD);
            Grid g(w);
            EXPECT_EQ(g.Cell(g.Rows().back(), 0), "G");
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_TRUE(first == "# old y\n# new z.pl\n" || first == "# new y.pl\n# old z\n") << first;
    for (const char *name : {"x", "y", "z"})
        EXPECT_EQ(ReadTextFile(localDir + "\\" + name + ".pl"), "# new " + std::string(name) + ".pl\n");
    EXPECT_TRUE(FileExists(globalDir + "\\z.pl"));
}

// A file that cannot be an action is named and left out; a copy that fails
// with no file in the way says why instead of offering to replace one.
TEST_F(AddTest, AFileLeftOutIsNamedWithItsReason)
{
    AddScript(source, "notes.txt");
    AddScript(source, "w.pl");
    MakeFolder(localDir + "\\w.pl");
    ModalDriver driver;
    PickAll(driver, false, true, "\"notes.txt\" \"x.pl\" \"w.pl\"");
    driver.Expect("Warning", [&](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Can't add " + source +
                                         "\\notes.txt: it is not a .pl script, or its name can't be an action's name.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    driver.Expect("NEXO Action Recorder/Player", [&](ModalWindow &box) {
        const std::string text = box.MessageText(), failed = "Can't add " + source + "\\w.pl to " + localDir + ". ";
        EXPECT_TRUE(text.size() > failed.size() + 3 && text.compare(0, failed.size(), failed) == 0)
            << text << ": the platform's reason follows";
        EXPECT_EQ(box.Icon(), MsgIcon::Error);
        box.Click(IDOK);
    });
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            EXPECT_EQ(Grid(w).Rows().size(), 3u) << "x and the two old scripts";
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(driver.Pending(), 0u);
    EXPECT_FALSE(FileExists(localDir + "\\notes.txt"));
}

} // namespace
