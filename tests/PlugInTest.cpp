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

TEST_F(PlugInTest, InitializeConnectsToTheHostAndCloseSavesTheRecordingAndLetsGo)
{
    EXPECT_EQ(plugIn->Install(Framework(), 9), S_OK);
    EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u) << "Install does nothing";
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(host->NotifySinkCount(), 1u);
    EXPECT_EQ(host->CommandSinkCount(), 1u);
    EXPECT_EQ(Offered(), (std::vector<std::string>{localDir + "\\local.pl", globalDir + "\\global.pl"}))
        << "both folders scanned, local actions first";
    EXPECT_EQ(State(), 0);
    UniqueBstr global;
    EXPECT_EQ(mimic->GetMacroFilesPath(global.put(), 1), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(global.get()), globalDir);

    host->OpenDocument(1, "start.bde");
    StartTemporary();
    long state = 0, cookie = 0;
    mimic->GetRecorderState(&state, &cookie);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(cookie, 1);
    EXPECT_EQ(Record(1, "Place", "R1"), S_OK);
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u);
    const std::string last = Setting("Last Macro Path");
    EXPECT_EQ(last, localDir + "\\temporary_action.pl");
    EXPECT_NE(ReadTextFile(last).find("ExecuteCommand('Place', 'R1')"), std::string::npos);
}

TEST_F(PlugInTest, TheHostPlugInClosingLeavesOnlyGlobalActions)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    host->NotifyPlugInOpened(CLSID_HostPlugIn, 50);
    EXPECT_EQ(host->PlugInSinkCount(), 1u);
    host->NotifyPlugInClosed(CLSID_HostPlugIn, 50);
    EXPECT_EQ(host->PlugInSinkCount(), 0u);
    EXPECT_EQ(Offered(), std::vector<std::string>{globalDir + "\\global.pl"});
    EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK);
    EXPECT_EQ(Offered().size(), 2u) << "a full load brings the local ones back";
    plugIn->Close();
}

TEST_F(PlugInTest, EveryInterfaceAnswersAndLateBindingReachesTheMethods)
{
    ComPtr<IUnknown> identity;
    ASSERT_EQ(plugIn.As(IID_IUnknown, identity), S_OK);
    for (const IID *iid : {&IID_IPlugIn, &IID_IDocumentEvents2, &IID_IHostPlugInNotify, &IID_IMimic, &IID_IDispatch,
                           &IID_IHostPreferencesPage, &IID_IPlugInCommandSink})
    {
        ComPtr<IUnknown> part, again;
        EXPECT_EQ(plugIn.As(*iid, part), S_OK);
        EXPECT_EQ(part.As(IID_IUnknown, again), S_OK);
        EXPECT_EQ(again.Get(), identity.Get()) << "one object behind every interface";
    }
    void *none = &none;
    EXPECT_EQ(plugIn->QueryInterface(IID_IConnectionPointContainer, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    UINT count = 0;
    EXPECT_EQ(mimic->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);

    // GetRecorderState (dispid 4), its by-reference arguments last one first.
    long state = -5, cookie = -5;
    VARIANTARG args[2];
    args[0].vt = args[1].vt = VT_BYREF | VT_I4;
    args[0].plVal = &cookie;
    args[1].plVal = &state;
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(mimic->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, -5) << "no recorder yet: untouched";
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(mimic->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, 0) << "idle, through the type library";
    plugIn->Close();
}

} // namespace
