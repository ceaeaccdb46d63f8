#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "base/Raii.h"
#include "library/ActionCatalogue.h"
#include "refhost/com/RefOptionsDialog.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/Dialog.h"
#include "ui/MimicProperty.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::CMimicProperty;
using refhost::RefOptionsDialog;
using namespace testsupport;

namespace {

const char kDefaultGlobal[] = "$(VANTREL)\\Script\\Actions";

// Clicks the page's macro button and lets the menu it opens come and go.
void ClickMacro(ModalWindow &page)
{
    page.Click(IDC_MP_MACRO);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

int LocalSelection(ModalWindow &page)
{
    return static_cast<int>(::SendDlgItemMessageA(page.Handle(), IDC_MP_LOCAL, CB_GETCURSEL, 0, 0));
}

class PreferencesTest : public HostFixture
{
protected:
    void SetUp() override { catalogue.SetFramework(Framework()); }

    // The stored value as text, "#n" for a number.
    std::string Stored(const char *name)
    {
        const std::optional<DWORD> number = Number(name);
        return number ? "#" + std::to_string(*number) : Setting(name);
    }

    // The host's Options dialog with a new page on the test's catalogue; the
    // step gets the dialog and the page, and Cancel closes the dialog after
    // it unless the step ends the dialog itself.
    INT_PTR RunOptions(std::function<void(ModalWindow &options, ModalWindow &page)> step, bool bStepEnds = false)
    {
        RefOptionsDialog options([this](HWND hParent) {
            page = std::make_unique<CMimicProperty>(Framework(), hParent, catalogue);
            return CMimicProperty::CreatePageWindow(page.get(), hParent);
        });
        dialog = &options;
        ModalDriver driver;
        driver.Expect(RefOptionsDialog::kCaption, [&](ModalWindow &w) {
            ASSERT_TRUE(options.Page());
            ModalWindow pageWindow(options.Page());
            step(w, pageWindow);
            if (!bStepEnds)
                w.Click(IDCANCEL);
        });
        INT_PTR result = options.DoModal();
        dialog = nullptr;
        return result;
    }

    ActionCatalogue catalogue;
    std::unique_ptr<CMimicProperty> page;
    RefOptionsDialog *dialog = nullptr;
};

// Both boxes, the local choice and the global folder as stored, none when absent.
TEST_F(PreferencesTest, ShowsTheStoredSettings)
{
    const std::tuple<std::optional<DWORD>, std::optional<std::string>, std::optional<std::string>, int, const char *>
        cases[] = {
            {{}, {}, {}, 0, kDefaultGlobal},
            {1, "Current design folder", "D:\\shared actions", 1, "D:\\shared actions"},
            {0, "current WORK", "", 0, kDefaultGlobal},
            {{}, "CURRENT", {}, 1, kDefaultGlobal}, // both match; the search begins at item 1
            {{}, "", {}, 0, kDefaultGlobal},
            {{}, "Elsewhere", {}, -1, kDefaultGlobal},
        };
    for (const auto &[boxes, local, global, selected, shownGlobal] : cases)
    {
        SCOPED_TRACE(local.value_or("<absent>"));
        if (boxes)
        {
            SetNumber("Record Temporary Task", *boxes);
            SetNumber("Show confirmation dialog", *boxes ? 7 : 0);
        }
        if (local)
            SetSetting("Local Path", *local);
        if (global)
            SetSetting("Global Path", *global);
        RunOptions([&, &boxes = boxes, selected = selected, shownGlobal = shownGlobal](ModalWindow &options,
                                                                                      ModalWindow &p) {
            EXPECT_EQ(p.Caption(), "Action Recorder/Player Preferences");
            EXPECT_EQ(options.Text(RefOptionsDialog::kTitleId), "Action Recorder/Player Preferences");
            EXPECT_EQ(p.IsChecked(IDC_MP_TEMPORARY), boxes.value_or(0) != 0);
            EXPECT_EQ(p.IsChecked(IDC_MP_NOCONFIRM), boxes.value_or(0) != 0);
            EXPECT_EQ(LocalSelection(p), selected);
            EXPECT_EQ(p.Text(IDC_MP_GLOBAL), shownGlobal);
            EXPECT_FALSE(dialog->Modified());
            EXPECT_FALSE(options.IsEnabled(RefOptionsDialog::kApplyId));
            EXPECT_EQ(page->m_cbLocal.GetLBText(0), "Current workspace folder");
            EXPECT_EQ(page->m_cbLocal.GetLBText(1), "Current design folder");
        });
    }
}

TEST_F(PreferencesTest, WithoutTheSettingsKeyTheBoxesStayEmptyAndApplyFails)
{
    SetSetting("Global Path", "D:\\kept");
    host->RefuseSettings(true);
    RunOptions([&](ModalWindow &options, ModalWindow &p) {
        EXPECT_FALSE(p.IsChecked(IDC_MP_TEMPORARY));
        EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "");
        EXPECT_EQ(LocalSelection(p), 0);
        p.SetText(IDC_MP_GLOBAL, "D:\\new");
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_EQ(dialog->RefusedApplies(), 1);
        EXPECT_TRUE(dialog->Modified());
    });
    host->RefuseSettings(false);
    EXPECT_EQ(Stored("Global Path"), "D:\\kept");
}

TEST_F(PreferencesTest, ChangesMarkThePageModified)
{
    const std::string changed = std::string(kDefaultGlobal) + "x";
    const std::tuple<const char *, std::function<void(ModalWindow &)>, bool> cases[] = {
        {"temporary box", [](ModalWindow &p) { p.Click(IDC_MP_TEMPORARY); }, true},
        {"confirmation box", [](ModalWindow &p) { p.Click(IDC_MP_NOCONFIRM); }, true},
        {"local folder", [](ModalWindow &p) { p.PressKey(IDC_MP_LOCAL, VK_DOWN); }, true},
        {"same global text", [](ModalWindow &p) { p.SetText(IDC_MP_GLOBAL, kDefaultGlobal); }, false},
        {"global text typed and restored",
         [&](ModalWindow &p) { p.SetText(IDC_MP_GLOBAL, changed), p.SetText(IDC_MP_GLOBAL, kDefaultGlobal); }, true},
    };
    for (const auto &[what, change, modified] : cases)
    {
        SCOPED_TRACE(what);
        RunOptions([&, &change = change, modified = modified](ModalWindow &options, ModalWindow &p) {
            change(p);
            EXPECT_EQ(dialog->Modified(), modified);
            EXPECT_EQ(options.IsEnabled(RefOptionsDialog::kApplyId), modified);
        });
    }
}

// A separator uses up its position; an entry without a macro and ids beyond
// the list add nothing, and neither does a cancelled menu or an empty list.
TEST_F(PreferencesTest, MacroMenuAppendsTheMacroBehindTheText)
{
    SetSetting("Global Path", "D:\\x");
    RunOptions([&](ModalWindow &, ModalWindow &p) {
        {
            PopupMenuDriver menu(p.Handle(), {VK_HOME, VK_DOWN, VK_RETURN});
            ClickMacro(p);
            ASSERT_TRUE(menu.shown);
            EXPECT_EQ(menu.items,
                      (std::vector<std::string>{"Orvalis folder: $(VANTREL)", "Designs folder: $(DESIGNS)"}));
            EXPECT_EQ(menu.ids, (std::vector<UINT>{1, 2}));
            RECT button;
            ::GetWindowRect(::GetDlgItem(p.Handle(), IDC_MP_MACRO), &button);
            EXPECT_EQ(menu.topLeft.x, button.right);
            EXPECT_EQ(menu.topLeft.y, button.top);
        }
        EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "D:\\x$(DESIGNS)");
        EXPECT_TRUE(dialog->Modified());
        page->InsertMacro(1);
        EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "D:\\x$(DESIGNS)$(VANTREL)");

        page->m_macros = {"separator", "Mine: $(MINE)\\sub", "no macro here"};
        {
            PopupMenuDriver menu(p.Handle(), {VK_ESCAPE});
            ClickMacro(p);
            EXPECT_EQ(menu.items, (std::vector<std::string>{"-", "Mine: $(MINE)\\sub", "no macro here"}));
            EXPECT_EQ(menu.ids, (std::vector<UINT>{1, 2, 3}));
        }
        EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "D:\\x$(DESIGNS)$(VANTREL)");
        p.SetText(IDC_MP_GLOBAL, "D:");
        for (UINT id : {0u, 1u, 2u, 3u, 4u})
            page->InsertMacro(id);
        EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "D:$(MINE)\\sub");

        page->m_macros.clear();
        PopupMenuDriver none(p.Handle(), {VK_ESCAPE});
        ClickMacro(p);
        EXPECT_FALSE(none.shown);
    });
}

TEST_F(PreferencesTest, FolderBrowserStartsAtTheGlobalFolder)
{
    for (bool confirm : {false, true})
    {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        RunOptions([&](ModalWindow &options, ModalWindow &p) {
            ModalDriver browser;
            browser.Expect("Browse for Folder", [&](ModalWindow &b) {
                EXPECT_EQ(::GetWindow(b.Handle(), GW_OWNER), options.Handle());
                EXPECT_TRUE(::FindWindowExA(b.Handle(), nullptr, "Static", "Browse for global action folder:"));
                b.Click(confirm ? IDOK : IDCANCEL);
            });
            p.Click(IDC_MP_BROWSE);
            EXPECT_EQ(p.Text(IDC_MP_GLOBAL), confirm ? globalDir : kDefaultGlobal);
            EXPECT_EQ(dialog->Modified(), confirm);
        });
    }
}

// A typed global folder of 260 characters is refused, with the page staying
// open and nothing stored; 259 still fit. Then OK applies too: the boxes
// cleared store 0, an unchosen local folder keeps its setting and so does a
// long global folder left as it was.
TEST_F(PreferencesTest, ApplyStoresTheSettingsAndReloadsTheCatalogue)
{
    const std::string sharedDir = temp / "shared", designDir = temp / "design", fits = "D:\\" + std::string(256, 'a');
    MakeFolder(sharedDir);
    MakeFolder(designDir + "\\Actions");
    AddScript(sharedDir, "fresh.pl");
    AddScript(designDir + "\\Actions", "mine.pl");
    AddScript(localDir, "old.pl");
    host->OpenDesign(designDir);
    catalogue.Load();
    ASSERT_EQ(catalogue.Count(), 1);
    RunOptions([&](ModalWindow &options, ModalWindow &p) {
        p.Click(IDC_MP_TEMPORARY);
        p.Click(IDC_MP_NOCONFIRM);
        p.PressKey(IDC_MP_LOCAL, VK_DOWN);
        p.SetText(IDC_MP_GLOBAL, "D:\\" + std::string(257, 'b'));
        ModalDriver box;
        box.Expect("Warning", [](ModalWindow &b) {
            EXPECT_EQ(b.MessageText(), "The folder for global actions is too long: a folder has at most 259 "
                                       "characters. Choose a shorter one.");
            EXPECT_EQ(b.Icon(), MsgIcon::Warning);
            b.Click(IDOK);
        });
        options.Click(IDOK);
        EXPECT_EQ(dialog->RefusedApplies(), 1);
        EXPECT_TRUE(::IsWindow(options.Handle())) << "the page stays open to shorten the folder";
        EXPECT_TRUE(dialog->Modified());
        EXPECT_EQ(Stored("Record Temporary Task") + Stored("Global Path"), "") << "nothing of a refused apply";

        p.SetText(IDC_MP_GLOBAL, fits);
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_EQ(dialog->RefusedApplies(), 1);
        EXPECT_EQ(Stored("Global Path"), fits);
        p.SetText(IDC_MP_GLOBAL, sharedDir);
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_FALSE(dialog->Modified()) << "an apply that succeeded leaves nothing to apply";
        EXPECT_FALSE(options.IsEnabled(RefOptionsDialog::kApplyId));
    });
    const char *const names[] = {"Record Temporary Task", "Show confirmation dialog", "Local Path", "Global Path"};
    std::vector<std::string> stored, listed;
    for (const char *name : names)
        stored.push_back(Stored(name));
    EXPECT_EQ(stored, (std::vector<std::string>{"#1", "#1", "Current design folder", sharedDir}));
    for (const auto &e : catalogue.Entries())
        listed.push_back(e.strName + (e.bGlobal ? " g" : " l"));
    EXPECT_EQ(listed, (std::vector<std::string>{"mine l", "fresh g"}));
    EXPECT_EQ(catalogue.GetGlobalPath(), sharedDir);

    const std::string longFolder = "D:\\" + std::string(300, 'a');
    SetSetting("Local Path", "Elsewhere");
    SetSetting("Global Path", longFolder);
    const auto clearBoxes = [](ModalWindow &options, ModalWindow &p) {
        p.Click(IDC_MP_TEMPORARY);
        p.Click(IDC_MP_NOCONFIRM);
        options.Click(IDOK);
    };
    EXPECT_EQ(RunOptions(clearBoxes, true), IDOK);
    stored.clear();
    for (const char *name : names)
        stored.push_back(Stored(name));
    EXPECT_EQ(stored, (std::vector<std::string>{"#0", "#0", "Elsewhere", longFolder}));
}

TEST_F(PreferencesTest, RestoreDefaultsMarksModifiedOnlyThroughTheGlobalText)
{
    for (const char *global : {kDefaultGlobal, "D:\\x"})
    {
        SCOPED_TRACE(global);
        SetNumber("Record Temporary Task", 1);
        SetNumber("Show confirmation dialog", 1);
        SetSetting("Local Path", "Elsewhere");
        SetSetting("Global Path", global);
        RunOptions([&](ModalWindow &options, ModalWindow &p) {
            options.Click(RefOptionsDialog::kRestoreId);
            EXPECT_FALSE(p.IsChecked(IDC_MP_TEMPORARY));
            EXPECT_FALSE(p.IsChecked(IDC_MP_NOCONFIRM));
            EXPECT_EQ(LocalSelection(p), 0);
            EXPECT_EQ(p.Text(IDC_MP_GLOBAL), kDefaultGlobal);
            EXPECT_EQ(dialog->Modified(), std::string(global) != kDefaultGlobal);
        });
        EXPECT_EQ(Stored("Record Temporary Task"), "#1") << "restoring stores nothing";
    }
}

int g_callbackCalls = 0;
UINT g_callbackAnswer = 0;

UINT CALLBACK PageCallback(HWND, UINT uMsg, LPPROPSHEETPAGEA)
{
    g_callbackCalls += uMsg == PSPCB_CREATE;
    return g_callbackAnswer;
}

// A callback is asked once and may refuse; a template may be given in memory.
TEST_F(PreferencesTest, PageWindowComesFromItsCreationData)
{
    mimic::UniqueHwnd parent(
        ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr, nullptr, nullptr));
    HMODULE module = mimic::ModuleInstance();
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(IDD_MIMIC_PROPERTY), MAKEINTRESOURCEA(5));
    ASSERT_TRUE(res);
    auto *inMemory = static_cast<LPCDLGTEMPLATEA>(::LockResource(::LoadResource(module, res)));
    for (auto [callback, answer, indirect] :
         {std::tuple{false, 0u, false}, {true, 1u, false}, {true, 0u, false}, {false, 0u, true}})
    {
        SCOPED_TRACE(std::to_string(callback) + std::to_string(answer) + std::to_string(indirect));
        CMimicProperty pg(Framework(), parent.get(), catalogue);
        if (callback)
        {
            pg.m_psp.dwFlags |= PSP_USECALLBACK;
            pg.m_psp.pfnCallback = PageCallback;
        }
        if (indirect)
        {
            pg.m_psp.dwFlags |= PSP_DLGINDIRECT;
            pg.m_psp.pResource = inMemory;
        }
        g_callbackCalls = 0;
        g_callbackAnswer = answer;
        HWND hPage = CMimicProperty::CreatePageWindow(&pg, parent.get());
        EXPECT_EQ(g_callbackCalls, callback ? 1 : 0);
        EXPECT_EQ(hPage != nullptr, !callback || answer);
        EXPECT_EQ(pg.GetSafeHwnd(), hPage);
        if (!hPage)
        {
            EXPECT_FALSE(::GetWindow(parent.get(), GW_CHILD));
            continue;
        }
        EXPECT_EQ(::GetParent(hPage), parent.get());
        EXPECT_TRUE(::GetWindowLongA(hPage, GWL_STYLE) & WS_CHILD);
        EXPECT_EQ(ModalWindow(hPage).Text(IDC_MP_GLOBAL), kDefaultGlobal);
        ::DestroyWindow(hPage);
        EXPECT_FALSE(pg.GetSafeHwnd());
    }
}

} // namespace
