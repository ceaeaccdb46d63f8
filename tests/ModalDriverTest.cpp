#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"

using namespace testsupport;

namespace {

TEST(ModalDriverTest, AnswersAMessageBoxAndRecordsWhatItShowed)
{
    ModalDriver driver;
    driver.Answer("Question", IDNO);
    int answer = ::MessageBoxA(nullptr, "Go on?", "Question", MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(driver.Seen().size(), 1u);
    EXPECT_EQ(driver.Seen()[0].caption, "Question");
    EXPECT_EQ(driver.Seen()[0].text, "Go on?");
    EXPECT_EQ(driver.Seen()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(driver.Seen()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_TRUE(driver.Seen()[0].expected);
    EXPECT_EQ(driver.Pending(), 0u);
}

TEST(ModalDriverTest, StepsWithOneCaptionRunInOrder)
{
    ModalDriver driver;
    driver.Answer("Warning", IDYES).Answer("Warning", IDNO);
    EXPECT_EQ(::MessageBoxA(nullptr, "1", "Warning", MB_YESNO), IDYES);
    EXPECT_EQ(::MessageBoxA(nullptr, "2", "Warning", MB_YESNO | MB_ICONERROR), IDNO);
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Error);
}

TEST(ModalDriverTest, AnUnexpectedWindowFailsAndIsClosed)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            answer = ::MessageBoxA(nullptr, "Surprise", "Nobody asked", MB_OK);
        },
        "unexpected window \"Nobody asked\": Surprise");
    EXPECT_EQ(answer, IDCANCEL);
}

TEST(ModalDriverTest, AWindowLeftOpenIsClosedByTheWatchdog)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver(300);
            driver.Expect("Stuck", [](ModalWindow &) {});
            answer = ::MessageBoxA(nullptr, "never answered", "Stuck", MB_YESNO);
        },
        "still open after 300 ms");
    EXPECT_EQ(answer, IDCANCEL);
}

TEST(ModalDriverTest, AWindowThatNeverCameFails)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            driver.Answer("Absent", IDOK);
        },
        "expected window \"Absent\" never appeared");
}

// A dialog of our own from an in-memory template: an edit that records the
// keys it receives with the modifiers down, a check box, a disabled button.
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
            ::SetWindowLongPtrA(::GetDlgItem(h, 100), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL || LOWORD(w) == 102))
    {
        ::EndDialog(h, LOWORD(w));
        return TRUE;
    }
    return FALSE;
}

struct Template
{
    std::vector<WORD> words;
    void Align()
    {
        if (words.size() % 2)
            words.push_back(0);
    }
    void Text(const wchar_t *s)
    {
        for (; *s; ++s)
            words.push_back(*s);
        words.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const wchar_t *text)
    {
        Align();
        DWORD parts[2] = {style | WS_CHILD | WS_VISIBLE, 0};
        words.insert(words.end(), reinterpret_cast<WORD *>(parts), reinterpret_cast<WORD *>(parts) + 4);
        for (short v : {x, y, cx, cy})
            words.push_back(static_cast<WORD>(v));
        words.push_back(id);
        words.push_back(0xFFFF);
        words.push_back(cls);
        Text(text);
        words.push_back(0);
    }
};

INT_PTR RunTestDialog()
{
    Template t;
    DWORD head[2] = {DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0};
    t.words.insert(t.words.end(), reinterpret_cast<WORD *>(head), reinterpret_cast<WORD *>(head) + 4);
    for (WORD v : {WORD(4), WORD(0), WORD(0), WORD(200), WORD(100)})
        t.words.push_back(v);
    t.words.push_back(0); // menu
    t.words.push_back(0); // class
    t.Text(L"Driven");
    t.words.push_back(8);
    t.Text(L"MS Shell Dlg");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 5, 100, 12, 100, 0x0081, L"");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 5, 20, 100, 10, 101, 0x0080, L"&Check");
    t.Item(BS_PUSHBUTTON | WS_DISABLED, 5, 35, 50, 14, 102, 0x0080, L"Disabled");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 80, 50, 14, IDOK, 0x0080, L"OK");
    t.Align();
    return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.words.data()),
                                     nullptr, TestDlgProc, 0);
}

TEST(ModalDriverTest, ReadsAndWorksTheControlsOfADialog)
{
    ModalDriver driver;
    bool ran = false;
    driver.Expect("Driven", [&](ModalWindow &w) {
        ran = true;
        w.SetText(100, "typed");
        EXPECT_EQ(w.Text(100), "typed");
        EXPECT_FALSE(w.IsChecked(101));
        w.Click(101);
        EXPECT_TRUE(w.IsChecked(101));
        EXPECT_FALSE(w.IsEnabled(102));
        w.Click(102); // disabled: nothing happens
        w.PressKey(100, 'K', true, false, true);
        EXPECT_EQ(g_keys.vk, static_cast<UINT>('K'));
        EXPECT_TRUE(g_keys.ctrl);
        EXPECT_TRUE(g_keys.shift);
        EXPECT_FALSE(g_keys.alt);
        EXPECT_GE(::GetKeyState(VK_CONTROL), 0) << "modifiers are released afterwards";
        w.ClickButton("OK");
    });
    EXPECT_EQ(RunTestDialog(), IDOK);
    EXPECT_TRUE(ran);
}

} // namespace
