#include <gtest/gtest.h>

#include "core/MacroRecorder.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"

using namespace testsupport;

namespace {

const CLSID kRequest = {0x0A1B2C3D, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

using ActionsMenuTest = HostFixture;

// The reload before building matters: the catalogue's commands were withdrawn.
TEST_F(ActionsMenuTest, FlaggedActionsBecomeItemsInListOrderAndNoneMeansNoMenu)
{
    mimic::ActionCatalogue catalogue;
    mimic::KMacroRecorder recorder{Framework(), 7, catalogue};
    catalogue.SetFramework(Framework());
    IUnknown *menu = reinterpret_cast<IUnknown *>(1); // must stay untouched on failure
    EXPECT_FALSE(recorder.BuildActionsMenu(&menu, kRequest));
    EXPECT_TRUE(host->Menus().empty()) << "an empty catalogue asks no menu service";
    AddAction(localDir, "l_off", nullptr, nullptr, "0");
    AddAction(globalDir, "g_off", nullptr, nullptr, "0");
    catalogue.Reload(false);
    EXPECT_FALSE(recorder.BuildActionsMenu(&menu, kRequest));
    ASSERT_EQ(host->Menus().size(), 1u);
    EXPECT_EQ(host->Menus()[0]->References(), 1) << "released by the plug-in";
    AddAction(localDir, "l_on", nullptr, nullptr, "1");
    AddAction(globalDir, "g_on", nullptr, nullptr, "1");
    catalogue.Reload(true);
    EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
    ASSERT_TRUE(recorder.BuildActionsMenu(&menu, kRequest));
    refhost::RefMenu *made = host->Menus().back().Get();
    EXPECT_EQ(menu, static_cast<IUnknown *>(made));
    std::string expected, items;
    for (const mimic::ActionEntry &e : catalogue.Entries())
        expected += e.bMenu ? e.strName + "#" + std::to_string(e.nCmdId) + "#0#1 " : "";
    for (const refhost::MenuItem &item : made->Items())
        items += item.text + "#" + std::to_string(item.nCmdId) + "#" + std::to_string(item.nValue) + "#" +
                 std::to_string(IsEqualCLSID(item.clsid, kRequest)) + " ";
    EXPECT_EQ(items, expected);
    EXPECT_EQ(made->References(), 2) << "the host's and the caller's; the plug-in kept none";
    menu->Release();
}

} // namespace
