#include <gtest/gtest.h>

#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestDialogs.h"
#include "ui/HotkeyEdit.h"
#include "ui/RecordMsg.h"
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

using RecordMsgTest = HostFixture;

// The cases run in turn on one settings key: the box starts clear every time, whatever was stored.
TEST_F(RecordMsgTest, OpensWithYesFocusedAndTheBoxClearAndOnlyYesStoresTheBox)
{
    const std::tuple<const char *, bool, std::function<void(ModalWindow &)>, INT_PTR, long> cases[] = {
        {"No", true, [](ModalWindow &w) { w.Click(IDCANCEL); }, IDCANCEL, -1},
        {"Escape", true, [](ModalWindow &w) { w.TypeKey(VK_ESCAPE); }, IDCANCEL, -1},
        {"closing the window", true, [](ModalWindow &w) { ::SendMessageA(w.Handle(), WM_CLOSE, 0, 0); }, IDCANCEL,
         -1},
        {"Yes, box checked", true, [](ModalWindow &w) { w.Click(IDOK); }, IDOK, 1},
        {"Yes, box clear", false, [](ModalWindow &w) { w.Click(IDOK); }, IDOK, 0},
        {"Yes still answers with the settings key refused", true,
         [this](ModalWindow &w) {
             host->RefuseSettings(true);
             w.Click(IDOK);
             host->RefuseSettings(false);
         },
         IDOK, 0},
    };
    for (const auto &[what, check, answer, result, stored] : cases)
    {
        SCOPED_TRACE(what);
        mimic::CRecordMsg dlg(Framework(), nullptr);
        const auto step = [&, check = check, &answer = answer](ModalWindow &w) {
            EXPECT_TRUE(Focused(w, IDOK));
            EXPECT_EQ(DefaultId(w), IDOK);
            EXPECT_EQ(w.Text(IDOK) + "/" + w.Text(IDCANCEL), "Yes/No");
            EXPECT_EQ(w.Text(IDC_RECORD_DONTSHOW), "Do not show me this dialog again");
            EXPECT_FALSE(w.IsChecked(IDC_RECORD_DONTSHOW));
            if (check)
                w.Click(IDC_RECORD_DONTSHOW);
            answer(w);
        };
        EXPECT_EQ(RunModal(dlg, "Record", step), result);
        EXPECT_EQ(static_cast<long>(Number("Show confirmation dialog").value_or(-1)), stored);
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

TEST(HotkeyEditTest, ModifiersComeFirstInAFixedOrderAndKeysAreNamedNeverTyped)
{
    struct Stroke
    {
        UINT vk;
        bool ctrl, alt, shift;
    };
    struct Case
    {
        const char *what;
        std::vector<Stroke> strokes; // typed as the user types them
        std::function<void(ModalWindow &)> then;
        std::string text;
        BYTE fVirt;
        WORD key;
    };
    const Case cases[] = {
        {"Ctrl alone", {{VK_CONTROL, 1, 0, 0}}, nullptr, "Ctrl+", FCONTROL, VK_CONTROL},
        {"Ctrl then Shift", {{VK_CONTROL, 1, 0, 0}, {VK_SHIFT, 1, 0, 1}}, nullptr, "Ctrl+Shift+", FCONTROL | FSHIFT,
         VK_SHIFT},
        {"Alt, Shift, Ctrl, F5", {{VK_MENU, 0, 1, 0}, {VK_SHIFT, 0, 1, 1}, {VK_CONTROL, 1, 1, 1}, {VK_F5, 1, 1, 1}},
         nullptr, "Ctrl+Alt+Shift+F5", FCONTROL | FALT | FSHIFT, VK_F5},
        {"Shift, Ctrl, Alt, F5", {{VK_SHIFT, 0, 0, 1}, {VK_CONTROL, 1, 0, 1}, {VK_MENU, 1, 1, 1}, {VK_F5, 1, 1, 1}},
         nullptr, "Ctrl+Alt+Shift+F5", FCONTROL | FALT | FSHIFT, VK_F5},
        {"plain letters replace each other", {{'Q', 0, 0, 0}, {'A', 0, 0, 0}}, nullptr, "A", 0, 'A'},
        {"a character message is swallowed", {{'B', 0, 0, 0}},
         [](ModalWindow &w) { ::SendMessageA(::GetDlgItem(w.Handle(), IDC_TEST_HOTKEY), WM_CHAR, 'x', 0); }, "B", 0,
         'B'},
        {"a key without a name", {}, [](ModalWindow &w) { w.PressKey(IDC_TEST_HOTKEY, 0xE8, true); }, "Ctrl+",
         FCONTROL, 0xE8},
        {"Tab is captured and the focus stays", {{VK_TAB, 0, 0, 0}}, nullptr, "Tab", 0, VK_TAB},
        {"Alt+F4 does not close the dialog", {{VK_F4, 0, 1, 0}}, nullptr, "Alt+F4", FALT, VK_F4},
        {"Escape does not close it either", {{VK_ESCAPE, 0, 0, 0}}, nullptr, PlatformKeyName(VK_ESCAPE), 0,
         VK_ESCAPE},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        HotkeyDialog dlg;
        const auto step = [&](ModalWindow &w) {
            for (const Stroke &k : c.strokes)
                w.TypeKey(k.vk, k.ctrl, k.alt, k.shift);
            if (c.then)
                c.then(w);
            EXPECT_EQ(w.Text(IDC_TEST_HOTKEY), c.text);
            EXPECT_EQ(::SendDlgItemMessageA(w.Handle(), IDC_TEST_HOTKEY, EM_GETSEL, 0, 0), MAKELRESULT(0, c.text.size()))
                << "the whole text is selected";
            EXPECT_TRUE(Focused(w, IDC_TEST_HOTKEY)) << "the focus stays in the field";
            EXPECT_TRUE(::IsWindowVisible(w.Handle())) << "the dialog stays open"; // ending hides it
            EXPECT_EQ(dlg.field.Accel().fVirt, c.fVirt);
            EXPECT_EQ(dlg.field.Accel().key, c.key);
            EXPECT_EQ(dlg.field.Accel().cmd, 0);
            EXPECT_GE(dlg.changes, 1) << "the dialog hears of every change";
            w.End(IDOK);
        };
        EXPECT_EQ(RunModal(dlg, "Hotkey Field", step), IDOK);
    }
}

} // namespace
