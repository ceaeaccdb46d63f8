#include <gtest/gtest.h>
#include <optional>

#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/MacroListDlg.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using namespace testsupport;

namespace {

class PlayerSettingsTest : public HostFixture
{
protected:
    void SetUp() override
    {
        AddAction(localDir, "five", "5", nullptr, nullptr);
        AddAction(localDir, "two", "2", nullptr, nullptr);
        catalogue.SetFramework(Framework());
    }
    // What the dialog ended with: its result, the chosen action and the repeat count.
    std::string Run(ModalDriver::Step step, ModalDriver *driver = nullptr)
    {
        mimic::KMacroListDlg dlg(nullptr, catalogue);
        const INT_PTR result = RunModal(dlg, "Player Settings", std::move(step), driver);
        return std::to_string(result) + "|" + (dlg.GetChosenAction() ? dlg.GetChosenAction()->strName : "<none>") +
               "|" + std::to_string(dlg.GetRepeatCount());
    }

    ActionCatalogue catalogue;
};

// An OK with nothing selected chooses nothing; one with a selection cleared before it keeps the last action taken
// over, and a selection brings its count only when it changes. The repeat field is checked on every change: an empty
// one is refused, a big one cut to 999, and 0 is accepted.
TEST_F(PlayerSettingsTest, ASelectionBringsItsCountOnceAndStaysChosenAndTheRepeatFieldIsCheckedOnEveryChange)
{
    EXPECT_EQ(Run([](ModalWindow &w) { w.Click(IDOK); }), "1|<none>|1");
    ModalDriver driver;
    driver.Expect("Warning", [](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Please specify an integer value for repeat time.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    const auto step = [](ModalWindow &w) {
        SelectActions(w, {"five"});
        w.SetText(IDC_PS_REPEAT, "7");
        SelectActions(w, {});
        SelectActions(w, {"five"});
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "7");
        SelectActions(w, {"two"});
        SelectActions(w, {});
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "2");
        w.SetText(IDC_PS_REPEAT, "1000");
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "999");
        w.SetText(IDC_PS_REPEAT, "");
        EXPECT_FALSE(w.IsEnabled(IDOK));
        w.SetText(IDC_PS_REPEAT, "0");
        w.Click(IDOK);
    };
    EXPECT_EQ(Run(step, &driver), "1|two|0");
}

} // namespace
