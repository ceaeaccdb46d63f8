#include <gtest/gtest.h>

#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestDialogs.h"
#include "ui/RecordMsg.h"
#include "ui/resource.h"

using namespace testsupport;

namespace {

using RecordMsgTest = HostFixture;

// The cases run in turn on one settings key: the box starts clear every time, whatever was stored.
TEST_F(RecordMsgTest, OpensWithTheBoxClearAndOnlyYesStoresTheBox)
{
    const std::tuple<const char *, bool, bool, INT_PTR, long> cases[] = {
        {"No", true, false, IDCANCEL, -1},
        {"Yes, box checked", true, false, IDOK, 1},
        {"Yes, box clear", false, false, IDOK, 0},
        {"Yes still answers with the settings key refused", true, true, IDOK, 0},
    };
    for (const auto &[what, check, refused, answer, stored] : cases)
    {
        SCOPED_TRACE(what);
        mimic::CRecordMsg dlg(Framework(), nullptr);
        const auto step = [&, check = check, refused = refused, answer = answer](ModalWindow &w) {
            EXPECT_FALSE(w.IsChecked(IDC_RECORD_DONTSHOW));
            if (check)
                w.Click(IDC_RECORD_DONTSHOW);
            host->RefuseSettings(refused);
            w.Click(static_cast<int>(answer));
        };
        EXPECT_EQ(RunModal(dlg, "Record", step), answer);
        host->RefuseSettings(false);
        EXPECT_EQ(static_cast<long>(Number("Show confirmation dialog").value_or(-1)), stored);
    }
}

// The keys are typed in turn, each modifier held down from its own stroke on. Key names are the platform's: Windows
// says "Esc" where Wine says "Escape". The dialog stays open whatever is typed.
TEST(HotkeyEditTest, ModifiersComeFirstInAFixedOrderAndKeysAreNamedNeverTyped)
{
    char escape[256] = {};
    ::GetKeyNameTextA(static_cast<LONG>(::MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC) << 16), escape, sizeof(escape));
    const std::tuple<std::vector<UINT>, std::string, BYTE, WORD> cases[] = {
        {{VK_CONTROL}, "Ctrl+", FCONTROL, VK_CONTROL},
        {{VK_SHIFT, VK_CONTROL, VK_MENU, VK_F5}, "Ctrl+Alt+Shift+F5", FCONTROL | FALT | FSHIFT, VK_F5},
        {{'B', WM_CHAR}, "B", 0, 'B'}, // a character message is swallowed
        {{VK_CONTROL, 0xE8}, "Ctrl+", FCONTROL, 0xE8}, // a key without a name
        {{VK_MENU, VK_F4}, "Alt+F4", FALT, VK_F4},
        {{VK_ESCAPE}, escape, 0, VK_ESCAPE},
    };
    for (const auto &[keys, text, fVirt, key] : cases)
    {
        SCOPED_TRACE(text);
        HotkeyDialog dlg;
        const auto step = [&, &keys = keys, &text = text, fVirt = fVirt, key = key](ModalWindow &w) {
            bool ctrl = false, alt = false, shift = false;
            for (UINT vk : keys)
            {
                ctrl |= vk == VK_CONTROL, alt |= vk == VK_MENU, shift |= vk == VK_SHIFT;
                if (vk == WM_CHAR)
                    ::SendMessageA(::GetDlgItem(w.Handle(), IDC_TEST_HOTKEY), WM_CHAR, 'x', 0);
                else
                    w.TypeKey(vk, ctrl, alt, shift);
            }
            EXPECT_EQ(w.Text(IDC_TEST_HOTKEY), text);
            EXPECT_TRUE(::IsWindowVisible(w.Handle())) << "ending hides it";
            EXPECT_EQ(std::make_pair(dlg.field.Accel().fVirt, dlg.field.Accel().key), std::make_pair(fVirt, key));
            w.End(IDOK);
        };
        EXPECT_EQ(RunModal(dlg, "Hotkey Field", step), IDOK);
    }
}

} // namespace
