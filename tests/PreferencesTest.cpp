#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "library/ActionCatalogue.h"
#include "refhost/com/RefOptionsDialog.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/MimicProperty.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::CMimicProperty;
using refhost::RefOptionsDialog;
using namespace testsupport;

namespace {

const char kDefaultGlobal[] = "$(VANTREL)\\Script\\Actions";

// Both boxes, the local choice and the global folder as the page shows them.
std::string Shown(ModalWindow &p)
{
    return std::to_string(p.IsChecked(IDC_MP_TEMPORARY)) + std::to_string(p.IsChecked(IDC_MP_NOCONFIRM)) + "|" +
           std::to_string(::SendDlgItemMessageA(p.Handle(), IDC_MP_LOCAL, CB_GETCURSEL, 0, 0)) + "|" +
           p.Text(IDC_MP_GLOBAL);
}

class PreferencesTest : public HostFixture
{
protected:
    void SetUp() override { catalogue.SetFramework(Framework()); }

    // The four settings as stored, "#n" for a number.
    std::vector<std::string> Stored()
    {
        std::vector<std::string> values;
        for (const char *name : {"Record Temporary Task", "Show confirmation dialog", "Local Path", "Global Path"})
            values.push_back(Number(name) ? "#" + std::to_string(*Number(name)) : Setting(name));
        return values;
    }
    void Store(DWORD boxes, const std::string &local, const std::string &global)
    {
        SetNumber("Record Temporary Task", boxes);
        SetNumber("Show confirmation dialog", boxes ? 7 : 0);
        SetSetting("Local Path", local);
        SetSetting("Global Path", global);
    }

    // The host's Options dialog with a new page on the test's catalogue; Cancel closes it after the step unless the
    // step ends it itself.
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
        return options.DoModal();
    }

    ActionCatalogue catalogue;
    std::unique_ptr<CMimicProperty> page;
    RefOptionsDialog *dialog = nullptr;
};

// The page shows what is stored, and filling it marks nothing modified. The search for the local choice begins at
// item 1 (a setting that names no choice, kept as it is: the apply test). Restoring the defaults stores nothing and
// marks the page modified only through a global text that changed; the macro menu appends behind the text.
TEST_F(PreferencesTest, ShowsTheStoredSettingsAndChangesAndRestoredDefaultsMarkThePageModified)
{
    const std::string shared = "D:\\shared actions", standard = kDefaultGlobal;
    using Change = std::function<void(ModalWindow &, ModalWindow &)>;
    const std::tuple<DWORD, const char *, std::string, Change, bool> cases[] = {
        {0, "current WORK", "", [](ModalWindow &, ModalWindow &p) { p.PressKey(IDC_MP_LOCAL, VK_DOWN); }, true},
        {1, "CURRENT", shared, [](ModalWindow &, ModalWindow &p) { p.Click(IDC_MP_TEMPORARY); }, true},
        {1, "CURRENT", shared, [&](ModalWindow &, ModalWindow &p) { p.SetText(IDC_MP_GLOBAL, shared); }, false},
        {1, "Current", standard, [](ModalWindow &options, ModalWindow &p) {
             options.Click(RefOptionsDialog::kRestoreId);
             EXPECT_EQ(Shown(p), "00|0|" + std::string(kDefaultGlobal));
         }, false},
        {1, "CURRENT", "D:\\x", [this](ModalWindow &, ModalWindow &p) {
             {
                 PopupMenuDriver menu(p.Handle(), {VK_HOME, VK_DOWN, VK_RETURN});
                 p.Click(IDC_MP_MACRO);
                 for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) // lets the menu come and go
                     ::DispatchMessageA(&msg);
             }
             for (UINT id : {0u, 1u, 3u}) // ids beyond the two macros add nothing
                 page->InsertMacro(id);
             EXPECT_EQ(p.Text(IDC_MP_GLOBAL), "D:\\x$(DESIGNS)$(VANTREL)");
         }, true},
    };
    for (const auto &[boxes, local, global, change, modified] : cases)
    {
        SCOPED_TRACE(std::to_string(modified) + " after changes to " + global);
        Store(boxes, local, global);
        RunOptions([&, boxes = boxes, &global = global, &change = change, modified = modified](ModalWindow &options,
                                                                                              ModalWindow &p) {
            EXPECT_EQ(Shown(p), std::string(boxes ? "11|1|" : "00|0|") + (global.empty() ? standard : global));
            EXPECT_FALSE(dialog->Modified());
            change(options, p);
            EXPECT_EQ(dialog->Modified(), modified);
        });
        EXPECT_EQ(Stored()[0], "#" + std::to_string(boxes)) << "each row ends with Cancel";
    }
}

// The browser opens on the global folder: OK takes it, Cancel leaves the box as it was.
TEST_F(PreferencesTest, FolderBrowserStartsAtTheGlobalFolder)
{
    for (bool confirm : {false, true})
    {
        RunOptions([&](ModalWindow &, ModalWindow &p) {
            ModalDriver browser;
            browser.Expect("Browse for Folder", [&](ModalWindow &b) {
                EXPECT_TRUE(::FindWindowExA(b.Handle(), nullptr, "Static", "Browse for global action folder:"));
                b.Click(confirm ? IDOK : IDCANCEL);
            });
            p.Click(IDC_MP_BROWSE);
            EXPECT_EQ(p.Text(IDC_MP_GLOBAL), confirm ? globalDir : kDefaultGlobal) << confirm;
            EXPECT_EQ(dialog->Modified(), confirm);
        });
    }
}

// A typed global folder of 260 characters is refused, with the page staying open and nothing stored; 259 still
// fit. Without the settings key the boxes stay empty and an apply fails, storing nothing. Then OK applies too: the
// boxes cleared store 0, an unchosen local folder keeps its setting and so does a long global folder left as it was.
TEST_F(PreferencesTest, ApplyStoresTheSettingsAndReloadsTheCatalogue)
{
    const std::string sharedDir = temp / "shared";
    MakeFolder(sharedDir);
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
        EXPECT_TRUE(::IsWindow(options.Handle()) && dialog->Modified()) << "the page stays open to shorten the folder";
        EXPECT_EQ(Stored(), std::vector<std::string>(4)) << "nothing of a refused apply";
        const std::string fits = "D:\\" + std::string(256, 'a');
        p.SetText(IDC_MP_GLOBAL, fits);
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_EQ(Stored()[3], fits) << "259 characters fit";
        p.SetText(IDC_MP_GLOBAL, sharedDir);
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_FALSE(dialog->Modified());
    });
    EXPECT_EQ(Stored(), (std::vector<std::string>{"#1", "#1", "Current design folder", sharedDir}));
    EXPECT_EQ(catalogue.GetGlobalPath(), sharedDir) << "the catalogue is reloaded";

    const std::string longFolder = "D:\\" + std::string(300, 'a');
    SetSetting("Local Path", "Elsewhere");
    SetSetting("Global Path", longFolder);
    host->RefuseSettings(true);
    RunOptions([&](ModalWindow &options, ModalWindow &p) {
        EXPECT_EQ(Shown(p), "00|0|");
        p.SetText(IDC_MP_GLOBAL, "D:\\new");
        options.Click(RefOptionsDialog::kApplyId);
        EXPECT_TRUE(dialog->RefusedApplies() == 1 && dialog->Modified()) << "the page stays open to try again";
    });
    host->RefuseSettings(false);
    const auto clearBoxes = [](ModalWindow &options, ModalWindow &p) {
        p.Click(IDC_MP_TEMPORARY);
        p.Click(IDC_MP_NOCONFIRM);
        options.Click(IDOK);
    };
    EXPECT_EQ(RunOptions(clearBoxes, true), IDOK);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"#0", "#0", "Elsewhere", longFolder}));
}

} // namespace
