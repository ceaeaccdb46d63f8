// mimic.dll's plug-in object as a host drives it through its interfaces.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "mimic.h"
#include "tests/support/PlugInHost.h"

using mimic::ComPtr;
using mimic::UniqueBstr;
using namespace testsupport;

namespace {

class PlugInTest : public PlugInHost
{
protected:
    void SetUp() override
    {
        AddScript(localDir, "local.pl");
        AddScript(globalDir, "global.pl");
        PlugInHost::SetUp();
        EXPECT_FALSE(dll.CanUnloadNow()) << "a live object holds the module";
    }
};

// Every interface answering for one object is the aggregation fault test's; here, late binding reaches
// GetRecorderState (dispid 4), its by-reference arguments last one first, untouched before there is a recorder.
TEST_F(PlugInTest, AMissingInterfaceIsRefusedAndLateBindingReachesTheMethods)
{
    void *none = &none;
    EXPECT_EQ(plugIn->QueryInterface(IID_IConnectionPointContainer, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    UINT count = 0;
    EXPECT_EQ(mimic->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);

    long state = -5, cookie = -5;
    VARIANTARG args[2];
    args[0].vt = args[1].vt = VT_BYREF | VT_I4;
    args[0].plVal = &cookie;
    args[1].plVal = &state;
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(mimic->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, -5);
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(mimic->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, 0) << "idle, through the type library";
    plugIn->Close();
}

TEST_F(PlugInTest, InitializeConnectsToTheHostAndCloseSavesTheRecordingAndLetsGo)
{
    EXPECT_EQ(plugIn->Install(Framework(), 9), S_OK);
    EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u) << "Install does nothing";
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(std::make_pair(host->NotifySinkCount(), host->CommandSinkCount()), std::make_pair(size_t{1}, size_t{1}));
    EXPECT_EQ(Offered(), (std::vector<std::string>{localDir + "\\local.pl", globalDir + "\\global.pl"}))
        << "both folders scanned, local actions first";
    UniqueBstr global;
    EXPECT_EQ(mimic->GetMacroFilesPath(global.put(), 1), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(global.get()), globalDir);

    // The host plug-in closing leaves only global actions; a full load brings the local ones back.
    host->NotifyPlugInOpened(CLSID_HostPlugIn, 50);
    EXPECT_EQ(host->PlugInSinkCount(), 1u);
    host->NotifyPlugInClosed(CLSID_HostPlugIn, 50);
    EXPECT_EQ(host->PlugInSinkCount(), 0u);
    EXPECT_EQ(Offered(), std::vector<std::string>{globalDir + "\\global.pl"});
    EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK);
    EXPECT_EQ(Offered().size(), 2u);

    host->OpenDocument(1, "start.bde");
    StartTemporary();
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(Record(1, "Place", "R1"), S_OK);
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u);
    EXPECT_EQ(Setting("Last Macro Path"), TemporaryScript());
    EXPECT_NE(ReadTextFile(TemporaryScript()).find("ExecuteCommand('Place', 'R1')"), std::string::npos);
}

} // namespace
