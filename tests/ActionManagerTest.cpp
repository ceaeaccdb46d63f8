#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
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

HWND List(ModalWindow &w)
{
    return w.FindChild(WC_LISTVIEWA);
}

// The grid's rows, all or only the selected ones, each as "folder|name|hotkey|menu".
std::vector<std::string> Rows(ModalWindow &w, UINT flags = GCRS_ALL)
{
    KGridCtrl grid;
    grid.Attach(::GetDlgItem(w.Handle(), IDC_TM_GRID));
    std::vector<std::string> rows;
    for (auto it = grid.begin(flags); it != grid.end(); ++it)
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

std::string Row(ModalWindow &w, const std::string &name)
{
    for (const std::string &row : Rows(w))
        if (row.find("|" + name + "|") == 1)
            return row;
    return "no row " + name;
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

    INT_PTR Run(ModalDriver::Step step, ModalDriver *outer = nullptr) { return Run(catalogue, std::move(step), outer); }
    INT_PTR Run(ActionCatalogue &cat, ModalDriver::Step step, ModalDriver *outer = nullptr)
    {
        mimic::CTaskManager dlg(Framework(), nullptr, cat);
        return RunModal(dlg, "Action Manager", std::move(step), outer);
    }

    ActionCatalogue catalogue;
};

// Properties with nothing selected does nothing: a dialog it opened would be unexpected.
TEST_F(ActionManagerTest, RowsShowFolderNameHotkeyAndMenuInCatalogueOrderAndNoneLeaveOnlyAdd)
{
    AddAction(localDir, "place", "Ctrl+1", true);
    AddAction(globalDir, "route", "", false);
    Load();
    ActionCatalogue empty;
    for (auto [cat, rows, buttons] : {std::tuple{&catalogue, std::vector<std::string>{"L|place|Ctrl+1|1", "G|route||0"},
                                                 "RP"},
                                      {&empty, {}, "--"}})
    {
        Run(*cat, [&rows = rows, buttons = buttons](ModalWindow &w) {
            EXPECT_EQ(Rows(w), rows);
            EXPECT_EQ(Buttons(w), buttons) << "enabled with actions, even without a selection";
            EXPECT_TRUE(w.IsEnabled(IDC_TM_ADD));
            EXPECT_EQ(::GetFocus(), List(w)) << "the grid has the focus";
            w.Click(IDC_TM_PROPERTIES);
            w.Click(IDCANCEL);
        });
    }
}

// What a removal does on the disc is ActionOperationsTest's; the grid is refilled from the disc.
TEST_F(ActionManagerTest, TheSelectionDecidesTheButtonsAndWhatRemoveAndTheDeleteKeyTakeOffTheDisc)
{
    for (const char *name : {"a", "b", "c"})
        AddAction(localDir, name);
    Load();
    ModalDriver driver;
    driver.Answer("Warning", IDYES).Answer("Warning", IDNO).Answer("Warning", IDYES).Answer("Warning", IDYES);
    Run(
        [&](ModalWindow &w) {
            // Nothing selected on opening: Remove asks, and Yes only reloads.
            ASSERT_TRUE(Rows(w, GCRS_SELECTED).empty());
            w.Click(IDC_TM_REMOVE);
            EXPECT_EQ(Rows(w).size(), 3u);
            EXPECT_EQ(Buttons(w), "--");
            for (auto [names, buttons] : {std::pair{std::vector<std::string>{"a", "b"}, "R-"}, {{"a"}, "RP"}, {{}, "--"}})
            {
                SelectActions(w, names);
                EXPECT_EQ(Buttons(w), buttons) << names.size();
            }
            SelectActions(w, {"a", "b"});
            w.Click(IDC_TM_REMOVE); // No
            EXPECT_EQ(Buttons(w), "RP") << "after the question both follow the selection";
            EXPECT_EQ(Rows(w).size(), 3u);

            SelectActions(w, {"b"});
            ::SetFocus(List(w)); // the Delete key goes to the grid
            w.TypeKey(VK_DELETE);
            EXPECT_EQ(Rows(w).size(), 2u);
            SelectActions(w, {"a"});
            w.Click(IDC_TM_REMOVE);
            EXPECT_EQ(Rows(w), std::vector<std::string>{"L|c||0"});
            w.Click(IDCANCEL);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 5u);
    EXPECT_EQ(driver.Seen()[1].text, "Do you really want to remove action(s) from the disc?");
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Warning);
}

// At the first OK another copy of the plug-in holds the catalogue file's lock past the wait.
TEST_F(ActionManagerTest, MenuChoicesAreWrittenOnOkOnlyWhereTheyChangedAndALockedFileKeepsTheBoxes)
{
    AddAction(localDir, "on", "", true);
    AddAction(localDir, "off", "", false);
    AddScript(localDir, "bare.pl"); // no section at all
    Load();
    catalogue.SetLockWait(100);
    const std::string before = ReadTextFile(localDir + "\\mimic.ini");
    Run([](ModalWindow &w) {
        SelectActions(w, {"off"});
        w.TypeKey(VK_SPACE);
        EXPECT_EQ(Row(w, "off"), "L|off||1");
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(ReadTextFile(localDir + "\\mimic.ini"), before) << "Cancel writes nothing";

    std::optional<HeldCatalogueLock> held;
    ModalDriver driver;
    driver.Answer("NEXO Action Recorder/Player", IDOK);
    Run(
        [&](ModalWindow &w) {
            SelectActions(w, {"off"});
            w.TypeKey(VK_SPACE);
            w.Click(IDC_TM_REFRESH);
            EXPECT_EQ(Row(w, "off"), "L|off||0") << "a refill shows the stored state";
            SelectActions(w, {"on"});
            w.TypeKey(VK_SPACE);
            EXPECT_TRUE(held.emplace(localDir).Held());
            w.Click(IDOK);
            EXPECT_EQ(Row(w, "on"), "L|on||0") << "still open, as the user left it";
            held.reset();
            w.Click(IDOK);
        },
        &driver);
    ASSERT_EQ(driver.Seen().size(), 2u) << "the Manager and one message";
    const SeenWindow &told = driver.Seen()[1];
    EXPECT_NE(told.text.find("Can't save " + localDir + "\\mimic.ini: "), std::string::npos) << told.text;
    EXPECT_EQ(told.icon, MsgIcon::Error);
    EXPECT_EQ(Section(localDir, "on").back(), '0');
    EXPECT_EQ(Section(localDir, "off").back(), '0');
    EXPECT_EQ(Section(localDir, "bare"), "-|-|-|-") << "untouched rows are not written";
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
            SelectActions(w, {"act"});
            w.TypeKey(VK_SPACE);
            RECT rc = {LVIR_BOUNDS, 0, 0, 0};
            ::SendMessageA(List(w), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
            ::SendMessageA(List(w), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_EQ(Section(localDir, "act"), "6|Ctrl+2|" + localDir + "\\act.pl|1");
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

// Typed "L" and "G" only fill the first column; F1 hands back the code of "p".
TEST_F(ActionManagerTest, ASelectedRowsMenuBoxLooksAsInAnyOtherRowAndTypedLettersSelectTheNextActionByName)
{
    AddAction(localDir, "rename", "", true);
    AddAction(globalDir, "route", "", true);
    AddAction(globalDir, "gen", "", false);
    AddAction(globalDir, "place");
    Load();
    Run([](ModalWindow &w) {
        SelectActions(w, {"rename"});
        ::SetFocus(List(w)); // the list blends a selected row's images only while it has the focus
        const std::vector<std::string> names = GridNames(w);
        const auto box = [&](const char *name) {
            return MenuBox(List(w), static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin()));
        };
        ASSERT_FALSE(box("route").empty());
        EXPECT_TRUE(box("rename") == box("route"));
        EXPECT_FALSE(box("route") == box("gen"));

        const std::pair<UINT, const char *> keys[] = {{'R', "route"}, {'R', "rename"}, {'G', "gen"},
                                                      {'L', "gen"},   {VK_F1, "gen"},  {'P', "place"}};
        for (auto [vk, name] : keys)
        {
            w.TypeKey(vk);
            EXPECT_EQ(Rows(w, GCRS_SELECTED), std::vector<std::string>{Row(w, name)});
        }
        w.Click(IDCANCEL);
    });
}

TEST_F(ActionManagerTest, ColumnsFitTheirTitlesAsTheFontGrows)
{
    Load();
    Run([](ModalWindow &w) {
        HWND grid = ::GetDlgItem(w.Handle(), IDC_TM_GRID), list = List(w);
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
        for (const char *name : {"x.pl", "y.pl", "z.pl", "w.pl"})
            AddScript(source, name, std::string("# new ") + name + "\n");
        AddScript(source, "notes.txt");
        AddScript(localDir, "y.pl", "# old y\n");
        AddScript(localDir, "z.pl", "# old z\n");
        ::GetCurrentDirectoryA(MAX_PATH, saved);
        ::SetCurrentDirectoryA(source.c_str()); // the file dialog opens where the process stands
        Load();
    }
    void TearDown() override { ::SetCurrentDirectoryA(saved); }

    // Expects the file dialog: checks its box, picks the files and confirms.
    void Pick(ModalDriver &driver, bool expectChecked, bool expectEnabled, const std::string &picked)
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

// Which file clashes first is the platform's order; the answers go by the
// clashes' order: Escape skips one, Replace replaces the other, Replace All is
// asked once. The last pick goes global and names a file that cannot be an
// action and one whose copy fails with no file in the way: each is named with
// its reason. What a clash's answer does to the files is ActionOperationsTest's.
TEST_F(AddTest, TheReplaceDialogAnswersEachClashAndWithoutTheHostPlugInFilesCanOnlyBecomeGlobal)
{
    const std::string all = "\"x.pl\" \"y.pl\" \"z.pl\"";
    MakeFolder(globalDir + "\\w.pl");
    ModalDriver driver;
    Pick(driver, false, true, all);
    driver.Expect("Replace File", [](ModalWindow &r) {
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(r.Handle(), IDC_REPLACE)) << "Replace has the focus on opening";
        EXPECT_EQ(LOWORD(::SendMessageA(r.Handle(), DM_GETDEFID, 0, 0)), IDOK) << "Replace All stays the default";
        EXPECT_EQ(r.MessageText(), "");
        EXPECT_EQ(r.Text(IDOK), "Replace All");
        r.TypeKey(VK_ESCAPE);
    });
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDC_REPLACE); });
    Pick(driver, false, true, all);
    driver.Expect("Replace File", [](ModalWindow &r) { r.Click(IDOK); });
    Pick(driver, true, false, "\"notes.txt\" \"z.pl\" \"w.pl\"");
    driver.Expect("Warning", [&](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Can't add " + source +
                                         "\\notes.txt: it is not a .pl script, or its name can't be an action's name.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    driver.Expect("NEXO Action Recorder/Player", [&](ModalWindow &box) {
        const std::string text = box.MessageText(), failed = "Can't add " + source + "\\w.pl to " + globalDir + ". ";
        EXPECT_TRUE(text.size() > failed.size() + 3 && text.compare(0, failed.size(), failed) == 0)
            << text << ": the platform's reason follows";
        EXPECT_EQ(box.Icon(), MsgIcon::Error);
        box.Click(IDOK);
    });
    std::string first;
    Run(
        [&](ModalWindow &w) {
            w.Click(IDC_TM_ADD);
            EXPECT_EQ(Rows(w).size(), 3u) << "refreshed: x and the two old scripts";
            first = ReadTextFile(localDir + "\\y.pl") + ReadTextFile(localDir + "\\z.pl");
            w.Click(IDC_TM_ADD);
            host->ClosePlugIn(CLSID_HostPlugIn);
            w.Click(IDC_TM_ADD);
            EXPECT_EQ(Rows(w).size(), 4u);
            EXPECT_EQ(Rows(w).back(), "G|z||0");
            w.Click(IDCANCEL);
        },
        &driver);
    EXPECT_TRUE(first == "# old y\n# new z.pl\n" || first == "# new y.pl\n# old z\n") << first;
}

} // namespace
