#include <gtest/gtest.h>
#include <optional>

#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/MacroListDlg.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::KMacroListDlg;
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
    INT_PTR Run(ActionCatalogue &cat, ModalDriver::Step step, ModalDriver *driver = nullptr)
    {
        dlg.emplace(nullptr, cat);
        return RunModal(*dlg, "Player Settings", std::move(step), driver);
    }
    std::string Chosen() const { return dlg->GetChosenAction() ? dlg->GetChosenAction()->strName : "<none>"; }

    ActionCatalogue catalogue;
    std::optional<KMacroListDlg> dlg;
};

TEST_F(PlayerSettingsTest, OpensOnOneWithTheFocusInTheFieldAndChoosesNothingUnselected)
{
    ActionCatalogue empty;
    for (ActionCatalogue *c : {&catalogue, &empty})
    {
        EXPECT_EQ(Run(*c,
                      [](ModalWindow &w) {
                          EXPECT_EQ(w.Text(IDC_PS_REPEAT), "1");
                          EXPECT_EQ(::GetFocus(), ::GetDlgItem(w.Handle(), IDC_PS_REPEAT));
                          w.Click(IDOK);
                      }),
                  IDOK);
        EXPECT_EQ(dlg->GetRepeatCount(), 1);
        EXPECT_EQ(Chosen(), "<none>");
    }
}

TEST_F(PlayerSettingsTest, ASelectionBringsItsCountOnceAndStaysChosen)
{
    Run(catalogue, [](ModalWindow &w) {
        SelectActions(w, {"five"});
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "5");
        w.SetText(IDC_PS_REPEAT, "7");
        SelectActions(w, {});
        SelectActions(w, {"five"}); // the same action again: the edit stands
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "7");
        SelectActions(w, {"two"});
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "2");
        SelectActions(w, {}); // cleared before OK: the last one taken over counts
        w.Click(IDOK);
    });
    EXPECT_EQ(Chosen(), "two");
    EXPECT_EQ(dlg->GetRepeatCount(), 2);
}

TEST_F(PlayerSettingsTest, TheRepeatFieldIsCheckedOnEveryChange)
{
    ModalDriver driver;
    driver.Expect("Warning", [](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Please specify an integer value for repeat time.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    const auto step = [](ModalWindow &w) {
        w.SetText(IDC_PS_REPEAT, "1000");
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "999");
        w.SetText(IDC_PS_REPEAT, "");
        EXPECT_FALSE(w.IsEnabled(IDOK));
        w.SetText(IDC_PS_REPEAT, "0");
        EXPECT_TRUE(w.IsEnabled(IDOK));
        w.Click(IDOK);
    };
    Run(catalogue, step, &driver);
    EXPECT_EQ(dlg->GetRepeatCount(), 0) << "0 is accepted";
}

TEST_F(PlayerSettingsTest, ADoubleClickActsAsOk)
{
    const auto step = [](ModalWindow &w) {
        SelectActions(w, {"two"});
        HWND list = w.FindChild(WC_LISTVIEWA);
        RECT rc = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
        ::SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
    };
    EXPECT_EQ(Run(catalogue, step), IDOK);
    ASSERT_TRUE(dlg->GetChosenAction());
    EXPECT_EQ(dlg->GetRepeatCount(), dlg->GetChosenAction()->nRepeat);
}

} // namespace
