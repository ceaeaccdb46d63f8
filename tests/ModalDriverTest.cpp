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

// A dialog of our own on a template of the plug-in: its name field records the
// keys it receives with the modifiers down; Remove is disabled and would end it.
struct KeyLog
{
    UINT vk = 0;
    bool ctrl = false, shift = false, alt = false;
};
KeyLog g_keys;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        g_keys = {static_cast<UINT>(w), ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_SHIFT) < 0,
                  ::GetKeyState(VK_MENU) < 0};
    return ::CallWindowProcA(g_editProc, h, msg, w, l);
}

INT_PTR CALLBACK TestDlgProc(HWND h, UINT msg, WPARAM w, LPARAM)
{
    if (msg == WM_INITDIALOG)
    {
        g_editProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(::GetDlgItem(h, IDC_TP_NAME), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
        ::EnableWindow(::GetDlgItem(h, IDC_TP_REMOVE), FALSE);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL || LOWORD(w) == IDC_TP_REMOVE))
    {
        ::EndDialog(h, LOWORD(w));
        return TRUE;
    }
    return FALSE;
}

TEST(ModalDriverTest, ReadsAndWorksTheControlsOfADialog)
{
    ModalDriver driver;
    bool ran = false;
    driver.Expect("Action Properties", [&](ModalWindow &w) {
        ran = true;
        w.SetText(IDC_TP_NAME, "typed");
        EXPECT_EQ(w.Text(IDC_TP_NAME), "typed");
        EXPECT_FALSE(w.IsChecked(IDC_TP_GLOBAL));
        w.Click(IDC_TP_GLOBAL);
        EXPECT_TRUE(w.IsChecked(IDC_TP_GLOBAL));
        EXPECT_FALSE(w.IsEnabled(IDC_TP_REMOVE));
        w.Click(IDC_TP_REMOVE); // disabled: nothing happens
        w.PressKey(IDC_TP_NAME, 'K', true, false, true);
        EXPECT_EQ(g_keys.vk, static_cast<UINT>('K'));
        EXPECT_TRUE(g_keys.ctrl);
        EXPECT_TRUE(g_keys.shift);
        EXPECT_FALSE(g_keys.alt);
        EXPECT_GE(::GetKeyState(VK_CONTROL), 0) << "modifiers are released afterwards";
        w.ClickButton("OK");
    });
    EXPECT_EQ(::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TASK_PROPERTIES), nullptr,
                                TestDlgProc, 0),
              IDOK);
    EXPECT_TRUE(ran);
}

} // namespace
