#include <gtest/gtest.h>

#include "host/baseutil.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestDialogs.h"
#include "ui/HotkeyEdit.h"
#include "ui/RecordMsg.h"
#include "ui/ReplaceDlg.h"
#include "ui/resource.h"

using namespace testsupport;

namespace {

bool Focused(ModalWindow &w, int id)
{
    return ::GetFocus() == ::GetDlgItem(w.Handle(), id);
}

int DefaultId(ModalWindow &w)
{
    return LOWORD(::SendMessageA(w.Handle(), DM_GETDEFID, 0, 0));
}

class RecordMsgTest : public HostFixture
{
protected:
    // The stored "Show confirmation dialog", or -1 when absent.
    long Stored()
    {
        mimic::UniqueHKey key;
        DWORD value = 0;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, KEY_READ,
                            key.put()) != ERROR_SUCCESS ||
            !baseutil::ReadNumberFromReg(key.get(), "Show confirmation dialog", value))
            return -1;
        return static_cast<long>(value);
    }

    INT_PTR Run(ModalDriver::Step step)
    {
        ModalDriver driver;
        driver.Expect("Record", std::move(step));
        mimic::CRecordMsg dlg(Framework(), nullptr);
        return dlg.DoModal();
    }
};

TEST_F(RecordMsgTest, OpensWithYesFocusedAndTheBoxClear)
{
    EXPECT_EQ(Run([](ModalWindow &w) {
                  EXPECT_TRUE(Focused(w, IDOK));
                  EXPECT_EQ(DefaultId(w), IDOK);
                  EXPECT_EQ(w.Text(IDOK), "Yes");
                  EXPECT_EQ(w.Text(IDCANCEL), "No");
                  EXPECT_EQ(w.Text(IDC_RECORD_DONTSHOW), "Do not show me this dialog again");
                  EXPECT_FALSE(w.IsChecked(IDC_RECORD_DONTSHOW));
                  w.Click(IDC_RECORD_DONTSHOW);
                  w.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(Stored(), 1);
    // The box starts clear every time, whatever was stored.
    Run([](ModalWindow &w) {
        EXPECT_FALSE(w.IsChecked(IDC_RECORD_DONTSHOW));
        w.Click(IDCANCEL);
    });
}

TEST_F(RecordMsgTest, OnlyYesStoresTheBox)
{
    struct Case
    {
        const char *what;
        bool check;
        std::function<void(ModalWindow &)> answer;
        INT_PTR result;
        long stored;
    };
    const Case cases[] = {
        {"Yes, box clear", false, [](ModalWindow &w) { w.Click(IDOK); }, IDOK, 0},
        {"Yes, box checked", true, [](ModalWindow &w) { w.Click(IDOK); }, IDOK, 1},
        {"No", true, [](ModalWindow &w) { w.Click(IDCANCEL); }, IDCANCEL, -1},
        {"Escape", true, [](ModalWindow &w) { w.TypeKey(VK_ESCAPE); }, IDCANCEL, -1},
        {"closing the window", true, [](ModalWindow &w) { ::SendMessageA(w.Handle(), WM_CLOSE, 0, 0); },
         IDCANCEL, -1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, host->SettingsRoot().c_str());
        EXPECT_EQ(Run([&](ModalWindow &w) {
                      if (c.check)
                          w.Click(IDC_RECORD_DONTSHOW);
                      c.answer(w);
                  }),
                  c.result);
        EXPECT_EQ(Stored(), c.stored);
    }
}

TEST_F(RecordMsgTest, YesStillAnswersWhenTheSettingsKeyIsRefused)
{
    host->RefuseSettings(true);
    EXPECT_EQ(Run([](ModalWindow &w) {
                  w.Click(IDC_RECORD_DONTSHOW);
                  w.Click(IDOK);
              }),
              IDOK);
    host->RefuseSettings(false);
    EXPECT_EQ(Stored(), -1);
}

TEST(ReplaceDlgTest, BothReplaceButtonsAnswerOkAndOnlyReplaceAllSetsTheFlag)
{
    struct Case
    {
        const char *what;
        std::function<void(ModalWindow &)> answer;
        INT_PTR result;
        bool all;
    };
    const Case cases[] = {
        {"Replace", [](ModalWindow &w) { w.Click(IDC_REPLACE); }, IDOK, false},
        {"Replace All", [](ModalWindow &w) { w.Click(IDOK); }, IDOK, true},
        {"Cancel", [](ModalWindow &w) { w.Click(IDCANCEL); }, IDCANCEL, false},
        {"Escape", [](ModalWindow &w) { w.TypeKey(VK_ESCAPE); }, IDCANCEL, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        ModalDriver driver;
        driver.Expect("Replace File", [&](ModalWindow &w) {
            EXPECT_TRUE(Focused(w, IDC_REPLACE)) << "Replace has the focus on opening";
            EXPECT_EQ(DefaultId(w), IDOK) << "Replace All stays the dialog's default";
            EXPECT_EQ(w.MessageText(), "");
            EXPECT_EQ(w.Text(IDOK), "Replace All");
            c.answer(w);
        });
        mimic::CReplaceDlg dlg(nullptr);
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(dlg.ReplaceAll(), c.all);
    }
}

// A dialog that holds a hotkey field, as Action Properties does.
class HotkeyDialog : public mimic::CDialog
{
public:
    HotkeyDialog() : CDialog(IDD_TEST_HOTKEY, nullptr)
    {
        OnCommandCode(IDC_TEST_HOTKEY, EN_CHANGE, [this] { ++changes; });
    }
    BOOL OnInitDialog() override
    {
        field.Attach(Item(IDC_TEST_HOTKEY), Item(IDC_TEST_ASSIGNED), Item(IDC_TEST_WARNING));
        ::SetFocus(Item(IDC_TEST_HOTKEY));
        return FALSE;
    }
    mimic::KHotkeyEdit field;
    int changes = 0;
};

// Key names are the platform's: Windows says "Esc" where Wine says "Escape".
std::string PlatformKeyName(UINT vk)
{
    char name[256] = {};
    ::GetKeyNameTextA(static_cast<LONG>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16), name, sizeof(name));
    return name;
}

struct KeyCase
{
    const char *what;
    std::function<void(ModalWindow &)> keys;
    std::string text;
    BYTE fVirt;
    WORD key;
};

void RunHotkeyCases(const std::vector<KeyCase> &cases)
{
    for (const KeyCase &c : cases)
    {
        SCOPED_TRACE(c.what);
        HotkeyDialog dlg;
        ModalDriver driver;
        driver.Expect("Hotkey Field", [&](ModalWindow &w) {
            c.keys(w);
            EXPECT_EQ(w.Text(IDC_TEST_HOTKEY), c.text);
            DWORD start = 1, end = 0;
            ::SendMessageA(::GetDlgItem(w.Handle(), IDC_TEST_HOTKEY), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                           reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(start, 0u);
            EXPECT_EQ(end, c.text.size()) << "the whole text is selected";
            EXPECT_TRUE(Focused(w, IDC_TEST_HOTKEY)) << "the focus stays in the field";
            EXPECT_TRUE(::IsWindowVisible(w.Handle())) << "the dialog stays open"; // ending hides it
            EXPECT_EQ(dlg.field.m_accel.fVirt, c.fVirt);
            EXPECT_EQ(dlg.field.m_accel.key, c.key);
            EXPECT_EQ(dlg.field.m_accel.cmd, 0);
            EXPECT_GE(dlg.changes, 1) << "the dialog hears of every change";
            w.End(IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
}

TEST(HotkeyEditTest, ModifiersComeFirstInAFixedOrder)
{
    RunHotkeyCases({
        {"Ctrl alone", [](ModalWindow &w) { w.TypeKey(VK_CONTROL, true); }, "Ctrl+", FCONTROL, VK_CONTROL},
        {"Ctrl then Shift",
         [](ModalWindow &w) {
             w.TypeKey(VK_CONTROL, true);
             w.TypeKey(VK_SHIFT, true, false, true);
         },
         "Ctrl+Shift+", FCONTROL | FSHIFT, VK_SHIFT},
        {"Alt, Shift, Ctrl, F5",
         [](ModalWindow &w) {
             w.TypeKey(VK_MENU, false, true);
             w.TypeKey(VK_SHIFT, false, true, true);
             w.TypeKey(VK_CONTROL, true, true, true);
             w.TypeKey(VK_F5, true, true, true);
         },
         "Ctrl+Alt+Shift+F5", FCONTROL | FALT | FSHIFT, VK_F5},
        {"Shift, Ctrl, Alt, F5",
         [](ModalWindow &w) {
             w.TypeKey(VK_SHIFT, false, false, true);
             w.TypeKey(VK_CONTROL, true, false, true);
             w.TypeKey(VK_MENU, true, true, true);
             w.TypeKey(VK_F5, true, true, true);
         },
         "Ctrl+Alt+Shift+F5", FCONTROL | FALT | FSHIFT, VK_F5},
    });
}

TEST(HotkeyEditTest, KeysAreNamedNeverTyped)
{
    RunHotkeyCases({
        {"plain letters replace each other",
         [](ModalWindow &w) {
             w.TypeKey('Q');
             w.TypeKey('A');
         },
         "A", 0, 'A'},
        {"a character message is swallowed",
         [](ModalWindow &w) {
             w.TypeKey('B');
             ::SendMessageA(::GetDlgItem(w.Handle(), IDC_TEST_HOTKEY), WM_CHAR, 'x', 0);
         },
         "B", 0, 'B'},
        {"a key without a name", [](ModalWindow &w) { w.PressKey(IDC_TEST_HOTKEY, 0xE8, true); }, "Ctrl+",
         FCONTROL, 0xE8},
        {"Tab is captured and the focus stays", [](ModalWindow &w) { w.TypeKey(VK_TAB); }, "Tab", 0, VK_TAB},
        {"Alt+F4 does not close the dialog", [](ModalWindow &w) { w.TypeKey(VK_F4, false, true); }, "Alt+F4",
         FALT, VK_F4},
        {"Escape does not close it either", [](ModalWindow &w) { w.TypeKey(VK_ESCAPE); }, PlatformKeyName(VK_ESCAPE),
         0, VK_ESCAPE},
    });
}

} // namespace
