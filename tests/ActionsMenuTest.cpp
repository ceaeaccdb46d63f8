#include <gtest/gtest.h>

#include "core/MacroRecorder.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"

using namespace testsupport;

namespace {

const CLSID kRequest = {0x0A1B2C3D, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

class ActionsMenuTest : public HostFixture
{
protected:
    bool Build()
    {
        menu = reinterpret_cast<IUnknown *>(1); // must stay untouched on failure
        return recorder.BuildActionsMenu(&menu, kRequest);
    }

    mimic::ActionCatalogue catalogue;
    mimic::KMacroRecorder recorder{Framework(), 7, catalogue};
    IUnknown *menu = nullptr;
};

TEST_F(ActionsMenuTest, FlaggedActionsBecomeItemsInListOrderAndNoneMeansNoMenu)
{
    catalogue.SetFramework(Framework());
    EXPECT_FALSE(Build());
    EXPECT_TRUE(host->Menus().empty()) << "an empty catalogue asks no menu service";
    AddAction(localDir, "l_off", nullptr, nullptr, "0");
    AddAction(globalDir, "g_off", nullptr, nullptr, "0");
    catalogue.Reload(false);
    EXPECT_FALSE(Build());
    EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
    ASSERT_EQ(host->Menus().size(), 1u);
    EXPECT_EQ(host->Menus()[0]->References(), 1) << "released by the plug-in";

    AddAction(localDir, "l_on", nullptr, nullptr, "1");
    AddAction(globalDir, "g_on", nullptr, nullptr, "1");
    catalogue.Reload(true); // commands withdrawn: building the menu must reload first
    ASSERT_TRUE(Build());
    ASSERT_EQ(host->Menus().size(), 2u);
    refhost::RefMenu *made = host->Menus()[1].Get();
    EXPECT_EQ(menu, static_cast<IUnknown *>(made));
    std::vector<std::string> expected, items;
    for (const mimic::ActionEntry &e : catalogue.Entries())
        if (e.bMenu)
            expected.push_back(e.strName + "#" + std::to_string(e.nCmdId) + "#0#1");
    for (const refhost::MenuItem &item : made->Items())
        items.push_back(item.text + "#" + std::to_string(item.nCmdId) + "#" + std::to_string(item.nValue) + "#" +
                        std::to_string(IsEqualCLSID(item.clsid, kRequest)));
    EXPECT_EQ(items, expected);
    EXPECT_EQ(expected.size(), 2u);
    EXPECT_EQ(made->References(), 2) << "the host's and the caller's; the plug-in kept none";
    menu->Release();

    host->SetMenuServiceAvailable(false);
    EXPECT_FALSE(Build());
    EXPECT_EQ(host->Menus().size(), 2u);
}

} // namespace
