#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"
#include "ui/resource.h"

using namespace testsupport;

namespace {

TEST(ModalDriverTest, AnswersMessageBoxesInOrderAndRecordsWhatTheyShowed)
{
    ModalDriver driver;
    driver.Answer("Question", IDNO).Answer("Question", IDYES);
    EXPECT_EQ(::MessageBoxA(nullptr, "Go on?", "Question", MB_YESNO | MB_ICONWARNING), IDNO);
    EXPECT_EQ(::MessageBoxA(nullptr, "2", "Question", MB_YESNO | MB_ICONERROR), IDYES);
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[0].caption, "Question");
    EXPECT_EQ(driver.Seen()[0].text, "Go on?");
    EXPECT_EQ(driver.Seen()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(driver.Seen()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_TRUE(driver.Seen()[0].expected);
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Error);
    EXPECT_EQ(driver.Pending(), 0u);
}

TEST(ModalDriverTest, UnexpectedStuckAndMissingWindowsFailTheTest)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            answer = ::MessageBoxA(nullptr, "Surprise", "Nobody asked", MB_OK);
        },
        "unexpected window \"Nobody asked\": Surprise");
    EXPECT_EQ(answer, IDCANCEL) << "and is closed";
    answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver(300);
            driver.Expect("Stuck", [](ModalWindow &) {});
            answer = ::MessageBoxA(nullptr, "never answered", "Stuck", MB_YESNO);
        },
        "still open after 300 ms");
    EXPECT_EQ(answer, IDCANCEL) << "closed by the watchdog";
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            driver.Answer("Absent", IDOK);
        },
        "expected window \"Absent\" never appeared");
}

// A dialog of our own on a template of the plug-in, with Remove disabled: a
// click on it would end the dialog. Keys with modifiers are checked through
// the hotkey field (DialogTest), which names what it received.
INT_PTR CALLBACK TestDlgProc(HWND h, UINT msg, WPARAM w, LPARAM)
{
    if (msg == WM_INITDIALOG)
        ::EnableWindow(::GetDlgItem(h, IDC_TP_REMOVE), FALSE);
    else if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL || LOWORD(w) == IDC_TP_REMOVE))
        ::EndDialog(h, LOWORD(w));
    return msg == WM_INITDIALOG;
}

TEST(ModalDriverTest, ReadsAndWorksTheControlsOfADialog)
{
    ModalDriver driver;
    driver.Expect("Action Properties", [&](ModalWindow &w) {
        w.SetText(IDC_TP_NAME, "typed");
        EXPECT_EQ(w.Text(IDC_TP_NAME), "typed");
        EXPECT_FALSE(w.IsChecked(IDC_TP_GLOBAL));
        w.Click(IDC_TP_GLOBAL);
        EXPECT_TRUE(w.IsChecked(IDC_TP_GLOBAL));
        EXPECT_FALSE(w.IsEnabled(IDC_TP_REMOVE));
        w.Click(IDC_TP_REMOVE); // disabled: nothing happens
        w.ClickButton("OK");
    });
    EXPECT_EQ(::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TASK_PROPERTIES), nullptr,
                                TestDlgProc, 0),
              IDOK);
    EXPECT_EQ(driver.Pending(), 0u);
}

} // namespace
