#include <gtest/gtest.h>

#include "host/GridCtrl.h"
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
        for (auto [name, repeat] : {std::pair{"five", "5"}, {"two", "2"}})
        {
            AddScript(localDir, std::string(name) + ".pl");
            WriteIni(localDir, name, "PlayMode", repeat);
        }
        catalogue.SetFramework(Framework());
    }
    // Selects the named action's row only (none for an empty name).
    static KGridCtrl Select(ModalWindow &w, const std::string &name)
    {
        KGridCtrl grid;
        grid.Attach(::GetDlgItem(w.Handle(), IDC_PS_GRID));
        for (auto it = grid.begin(GCRS_ALL); it != grid.end(); ++it)
            grid.SelectRow(*it, reinterpret_cast<mimic::ActionEntry *>(grid.GetRowParam(*it))->strName == name);
        return grid;
    }
    static std::string Chosen(const KMacroListDlg &dlg)
    {
        return dlg.GetChosenAction() ? dlg.GetChosenAction()->strName : "<none>";
    }

    ActionCatalogue catalogue;
};

TEST_F(PlayerSettingsTest, OpensOnOneWithTheFocusInTheFieldAndChoosesNothingUnselected)
{
    ActionCatalogue empty;
    for (ActionCatalogue *c : {&catalogue, &empty})
    {
        KMacroListDlg dlg(nullptr, *c);
        EXPECT_EQ(RunModal(dlg, "Player Settings",
                           [](ModalWindow &w) {
                               EXPECT_EQ(w.Text(IDC_PS_REPEAT), "1");
                               EXPECT_EQ(::GetFocus(), ::GetDlgItem(w.Handle(), IDC_PS_REPEAT));
                               w.Click(IDOK);
                           }),
                  IDOK);
        EXPECT_EQ(dlg.GetRepeatCount(), 1);
        EXPECT_EQ(Chosen(dlg), "<none>");
    }
}

TEST_F(PlayerSettingsTest, ASelectionBringsItsCountOnceAndStaysChosen)
{
    KMacroListDlg dlg(nullptr, catalogue);
    RunModal(dlg, "Player Settings", [](ModalWindow &w) {
        Select(w, "five");
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "5");
        w.SetText(IDC_PS_REPEAT, "7");
        Select(w, "");
        Select(w, "five"); // the same action again: the edit stands
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "7");
        Select(w, "two");
        EXPECT_EQ(w.Text(IDC_PS_REPEAT), "2");
        Select(w, ""); // cleared before OK: the last one taken over counts
        w.Click(IDOK);
    });
    EXPECT_EQ(Chosen(dlg), "two");
    EXPECT_EQ(dlg.GetRepeatCount(), 2);
}

TEST_F(PlayerSettingsTest, TheRepeatFieldIsCheckedOnEveryChange)
{
    KMacroListDlg dlg(nullptr, catalogue);
    ModalDriver driver;
    driver.Expect("Warning", [](ModalWindow &box) {
        EXPECT_EQ(box.MessageText(), "Please specify an integer value for repeat time.");
        EXPECT_EQ(box.Icon(), MsgIcon::Warning);
        box.Click(IDOK);
    });
    RunModal(
        dlg, "Player Settings",
        [](ModalWindow &w) {
            w.SetText(IDC_PS_REPEAT, "1000");
            EXPECT_EQ(w.Text(IDC_PS_REPEAT), "999");
            w.SetText(IDC_PS_REPEAT, "");
            EXPECT_FALSE(w.IsEnabled(IDOK));
            w.SetText(IDC_PS_REPEAT, "0");
            EXPECT_TRUE(w.IsEnabled(IDOK));
            w.Click(IDOK);
        },
        &driver);
    EXPECT_EQ(dlg.GetRepeatCount(), 0) << "0 is accepted";
}

TEST_F(PlayerSettingsTest, ADoubleClickActsAsOk)
{
    KMacroListDlg dlg(nullptr, catalogue);
    EXPECT_EQ(RunModal(dlg, "Player Settings",
                       [](ModalWindow &w) {
                           HWND list = Select(w, "two").ListView();
                           RECT rc = {LVIR_BOUNDS, 0, 0, 0};
                           ::SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
                           ::SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 5, rc.top + 3));
                       }),
              IDOK);
    ASSERT_TRUE(dlg.GetChosenAction());
    EXPECT_EQ(dlg.GetRepeatCount(), dlg.GetChosenAction()->nRepeat);
}

} // namespace
