#include <gtest/gtest.h>

#include "core/MacroRecorder.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"

using mimic::ActionCatalogue;
using mimic::KMacroRecorder;
using namespace testsupport;

namespace {

const CLSID kRequest = {0x0A1B2C3D, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

class ActionsMenuTest : public HostFixture
{
protected:
    void Add(const std::string &folder, const char *name, bool menu)
    {
        AddScript(folder, std::string(name) + ".pl");
        WriteIni(folder, name, "AddToMenu", menu ? "1" : "0");
    }
    bool Build()
    {
        menu = reinterpret_cast<IUnknown *>(1); // must stay untouched on failure
        return recorder.BuildActionsMenu(&menu, kRequest);
    }

    ActionCatalogue catalogue;
    KMacroRecorder recorder{Framework(), 7, catalogue};
    IUnknown *menu = nullptr;
};

TEST_F(ActionsMenuTest, FlaggedActionsBecomeItemsInListOrder)
{
    Add(localDir, "l_on", true);
    Add(localDir, "l_off", false);
    Add(globalDir, "g_on", true);
    catalogue.SetFramework(Framework());
    ASSERT_TRUE(Build());
    ASSERT_EQ(host->Menus().size(), 1u);
    refhost::RefMenu *made = host->Menus()[0].Get();
    EXPECT_EQ(menu, static_cast<IUnknown *>(made));
    ASSERT_EQ(made->Items().size(), 2u);
    std::vector<std::string> expected;
    for (const mimic::ActionEntry &e : catalogue.Entries())
        if (e.bMenu)
            expected.push_back(e.strName + "#" + std::to_string(e.nCmdId));
    for (size_t i = 0; i < 2; ++i)
    {
        const refhost::MenuItem &item = made->Items()[i];
        EXPECT_EQ(item.text + "#" + std::to_string(item.nCmdId), expected[i]);
        EXPECT_EQ(item.nValue, 0);
        EXPECT_TRUE(IsEqualCLSID(item.clsid, kRequest));
    }
    EXPECT_EQ(made->References(), 2) << "the host's and the caller's; the plug-in kept none";
    menu->Release();
}

TEST_F(ActionsMenuTest, NoFlaggedActionNoMenu)
{
    Add(localDir, "off1", false);
    Add(globalDir, "off2", false);
    catalogue.SetFramework(Framework());
    EXPECT_FALSE(Build());
    EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
    ASSERT_EQ(host->Menus().size(), 1u);
    EXPECT_EQ(host->Menus()[0]->References(), 1) << "released by the plug-in";
}

TEST_F(ActionsMenuTest, AnEmptyCatalogueDoesNotAskTheMenuService)
{
    catalogue.SetFramework(Framework());
    EXPECT_FALSE(Build());
    EXPECT_TRUE(host->Menus().empty());
}

TEST_F(ActionsMenuTest, ACatalogueWithoutRegisteredCommandsIsReloadedFirst)
{
    Add(localDir, "late", true);
    catalogue.SetFramework(Framework());
    catalogue.Reload(true); // commands withdrawn, list empty
    ASSERT_EQ(catalogue.Count(), 0);
    EXPECT_TRUE(Build());
    EXPECT_EQ(catalogue.Count(), 1);
    EXPECT_TRUE(catalogue.CommandsAdded());
    ASSERT_EQ(host->Menus().size(), 1u);
    EXPECT_EQ(host->Menus()[0]->Items().at(0).nCmdId, 200000u);
    menu->Release();

    host->SetMenuServiceAvailable(false);
    EXPECT_FALSE(Build());
    EXPECT_EQ(host->Menus().size(), 1u);
}

} // namespace
