#include <gtest/gtest.h>

#include "core/Raii.h"
#include "core/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/ActionCatalogue.h"
#include "mimic.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Perl.h"
#include "tests/support/PlugInDll.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::ComPtr;
using mimic::UniqueBstr;
using namespace testsupport;

namespace {

// The plug-in as a host gets it: from the built mimic.dll's class object.
class PlugInTest : public HostFixture
{
protected:
    void SetUp() override
    {
        AddScript(localDir, "local.pl");
        AddScript(globalDir, "global.pl");
        host->OpenPlugIn(CLSID_HostPlugIn);
        host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
        ASSERT_NO_FATAL_FAILURE(dll.Load(MIMIC_DLL_PATH));
        ASSERT_EQ(dll.factory->CreateInstance(nullptr, IID_IPlugIn, plugIn.PutVoid()), S_OK);
        ASSERT_EQ(plugIn.As(IID_IMimic, mimic), S_OK);
        EXPECT_FALSE(dll.CanUnloadNow()) << "a live object holds the module";
    }
    void TearDown() override
    {
        mimic.Reset();
        plugIn.Reset();
        EXPECT_TRUE(dll.Release()) << "the module can unload";
    }

    // How many actions the plug-in's catalogue lists, asked as a host asks.
    int ActionCount()
    {
        int count = 0;
        for (UINT id = 200000; id < 200020; ++id)
        {
            long times = 0;
            UniqueBstr path;
            if (mimic->GetTaskPlayInfoFromCmdId(id, &times, path.put()) == S_OK)
                ++count;
        }
        return count;
    }
    std::string PathOf(UINT id)
    {
        long times = 0;
        UniqueBstr path;
        return mimic->GetTaskPlayInfoFromCmdId(id, &times, path.put()) == S_OK ? mimic::NarrowFromBstr(path.get())
                                                                              : std::string();
    }

    PlugInDll dll;
    ComPtr<IPlugIn> plugIn;
    ComPtr<IMimic> mimic;
};

TEST_F(PlugInTest, InitializeConnectsToTheHostAndCloseLetsGo)
{
    long state = -5, cookie = -5;
    EXPECT_EQ(mimic->GetRecorderState(&state, &cookie), S_FALSE) << "no recorder before Initialize";
    EXPECT_EQ(state, -5);
    BSTR path = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(mimic->GetMacroFilesPath(&path, 1), S_OK);
    EXPECT_EQ(path, reinterpret_cast<BSTR>(1));

    EXPECT_EQ(plugIn->Install(Framework(), 9), S_OK);
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(host->NotifySinkCount(), 1u);
    EXPECT_EQ(host->CommandSinkCount(), 1u);
    EXPECT_EQ(ActionCount(), 2);
    EXPECT_EQ(mimic->GetRecorderState(&state, &cookie), S_OK);
    EXPECT_EQ(state, 0);
    UniqueBstr global;
    EXPECT_EQ(mimic->GetMacroFilesPath(global.put(), 1), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(global.get()), globalDir);

    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(host->NotifySinkCount(), 0u);
    EXPECT_EQ(host->CommandSinkCount(), 0u);
    EXPECT_EQ(mimic->GetRecorderState(&state, &cookie), S_FALSE);
    EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK) << "after Close the catalogue holds no stale framework";
}

TEST_F(PlugInTest, ARefusedAdviseStillLeavesAWorkingRecorder)
{
    host->RefuseNotifyAdvise(true);
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), E_FAIL);
    long state = -5, cookie = -5;
    EXPECT_EQ(mimic->GetRecorderState(&state, &cookie), S_OK);
    EXPECT_EQ(host->CommandSinkCount(), 1u);
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(host->CommandSinkCount(), 0u) << "the host must not keep the plug-in alive";
}

TEST_F(PlugInTest, CloseDuringARecordingSavesIt)
{
    SetSetting("Local Path", localDir);
    mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
    baseutil::WriteNumberToReg(key.get(), "Record Temporary Task", 2);
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    host->OpenDocument(1, "start.bde");
    EXPECT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
    long state = 0, cookie = 0;
    mimic->GetRecorderState(&state, &cookie);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(cookie, 1);
    std::string command = "Place";
    std::string params = "R1";
    EXPECT_EQ(mimic->RecordEvent(1, reinterpret_cast<LPWSTR>(&command[0]), reinterpret_cast<LPWSTR>(&params[0])), S_OK);
    plugIn->Close();
    std::string last;
    baseutil::ReadFromReg(key.get(), "Last Macro Path", last);
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
    EXPECT_EQ(ActionCount(), 1);
    EXPECT_EQ(PathOf(200000), globalDir + "\\global.pl");
    EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK);
    EXPECT_EQ(ActionCount(), 2) << "a full load brings the local ones back";
    plugIn->Close();
}

TEST_F(PlugInTest, PlaybackQuestionsAreAnswered)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(PathOf(200000), localDir + "\\local.pl") << "local actions first";
    std::string accel = "";
    int id = -1;
    EXPECT_EQ(mimic->GetCommandIdFromAccel(reinterpret_cast<LPWSTR>(&accel[0]), &id), S_OK);
    EXPECT_EQ(id, 200000) << "the first action without a hotkey";
    UniqueBstr file;
    SetSetting("Last Macro Path", "C:\\fix.pl");
    mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
    baseutil::WriteNumberToReg(key.get(), "Defaul Repeat Count", 0);
    UniqueBstr files(mimic::BstrFromNarrow("a.bde\nb.bde"));
    BSTR list = files.get();
    EXPECT_EQ(mimic->PlayLastMacro(&list), S_OK);
    EXPECT_EQ(host->CommandLines(), (std::vector<std::string>{"runscript -perl {C:\\fix.pl} -1 {a.bde} 1",
                                                              "runscript -perl {C:\\fix.pl} -1 {b.bde} 1"}));
    IUnknown *menu = reinterpret_cast<IUnknown *>(1);
    EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL) << "no action is on the menu";
    EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
    plugIn->Close();
    EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL);
    EXPECT_EQ(mimic->GetCommandAccelFromId(id, file.put()), S_FALSE);
}

TEST_F(PlugInTest, ThePreferencesPageIsAChildOfTheHostsWindow)
{
    ComPtr<IHostPreferencesPage> pages;
    ASSERT_EQ(plugIn.As(IID_IHostPreferencesPage, pages), S_OK);
    HWND parent = ::CreateWindowExA(0, "STATIC", "options", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr,
                                    nullptr);
    HWND page = reinterpret_cast<HWND>(1);
    EXPECT_EQ(pages->CreatePage(Framework(), parent, 1, &page), S_OK);
    EXPECT_EQ(page, nullptr) << "a non-zero flag creates nothing";
    EXPECT_EQ(pages->CreatePage(Framework(), parent, 0, &page), S_OK);
    ASSERT_TRUE(page);
    EXPECT_EQ(::GetParent(page), parent);
    EXPECT_TRUE(::GetDlgItem(page, IDC_MP_GLOBAL) || ::GetWindow(page, GW_CHILD));
    ::DestroyWindow(parent);
}

TEST_F(PlugInTest, TheInterfaceTableAndAggregation)
{
    for (const IID *iid : {&IID_IPlugIn, &IID_IDocumentEvents2, &IID_IHostPlugInNotify, &IID_IMimic, &IID_IDispatch,
                           &IID_IHostPreferencesPage, &IID_IPlugInCommandSink})
    {
        ComPtr<IUnknown> part;
        EXPECT_EQ(plugIn.As(*iid, part), S_OK);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(plugIn.As(IID_IConnectionPointContainer, none), E_NOINTERFACE);
    UINT count = 0;
    EXPECT_EQ(mimic->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    // Late binding goes through the type library to the same methods.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(plugIn.As(IID_IDispatch, dispatch), S_OK);
    wchar_t nameText[] = L"GetRecorderState";
    LPOLESTR name = nameText;
    DISPID dispid = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid), S_OK);
    EXPECT_EQ(dispid, 4);
    long state = -5, cookie = -5;
    VARIANTARG args[2];
    args[0].vt = VT_BYREF | VT_I4; // last parameter first
    args[0].plVal = &cookie;
    args[1].vt = VT_BYREF | VT_I4;
    args[1].plVal = &state;
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, -5) << "no recorder yet: untouched";
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(state, 0) << "idle, through the type library";
    plugIn->Close();

    // Aggregated: every interface's IUnknown is the outer object's.
    struct Outer : IUnknown
    {
        ULONG refs = 1;
        IUnknown *inner = nullptr;
        STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
        {
            if (IsEqualIID(riid, IID_IUnknown))
            {
                *ppv = this;
                AddRef();
                return S_OK;
            }
            return inner->QueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
        STDMETHODIMP_(ULONG) Release() override { return --refs; }
    } outer;
    void *refused = reinterpret_cast<void *>(1);
    EXPECT_EQ(dll.factory->CreateInstance(&outer, IID_IMimic, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    ASSERT_EQ(dll.factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void **>(&outer.inner)), S_OK);
    for (const IID *iid : {&IID_IPlugIn, &IID_IDocumentEvents2, &IID_IHostPlugInNotify, &IID_IMimic, &IID_IDispatch,
                           &IID_IHostPreferencesPage, &IID_IPlugInCommandSink})
    {
        IUnknown *part = nullptr;
        ASSERT_EQ(outer.inner->QueryInterface(*iid, reinterpret_cast<void **>(&part)), S_OK);
        EXPECT_EQ(outer.refs, 2u) << "the reference went to the outer object";
        part->AddRef();
        EXPECT_EQ(outer.refs, 3u);
        part->Release();
        IUnknown *identity = nullptr;
        part->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
        EXPECT_EQ(identity, static_cast<IUnknown *>(&outer));
        identity->Release();
        part->Release();
        EXPECT_EQ(outer.refs, 1u);
    }
    EXPECT_EQ(outer.inner->Release(), 0u);
}

TEST_F(PlugInTest, NullOutParametersAreRefusedNotFollowed)
{
    for (bool initialized : {false, true})
    {
        SCOPED_TRACE(initialized ? "initialized" : "before Initialize");
        if (initialized)
        {
            ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
        }
        long value = 0;
        BSTR text = nullptr;
        EXPECT_EQ(mimic->GetRecorderState(nullptr, &value), E_POINTER);
        EXPECT_EQ(mimic->GetRecorderState(&value, nullptr), E_POINTER);
        EXPECT_EQ(mimic->GetMacroFilesPath(nullptr, 0), E_POINTER);
        EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, nullptr, &text), E_POINTER);
        EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &value, nullptr), E_POINTER);
        EXPECT_EQ(mimic->GetCommandIdFromAccel(nullptr, nullptr), E_POINTER);
        EXPECT_EQ(mimic->GetTaskPlayInfoFromCmdId(200000, nullptr, &text), E_POINTER);
        EXPECT_EQ(mimic->GetMimicMenu(nullptr, CLSID_NULL), E_POINTER);
        EXPECT_EQ(mimic->GetCommandAccelFromId(200000, nullptr), E_POINTER);
        EXPECT_EQ(mimic->PlayLastMacro(nullptr), S_FALSE) << "no list is an empty list";
    }
    plugIn->Close();
}

// A recording made through the host's calls, played back by the host's own
// command interpreter: perl runs the script, and the same commands reach the
// same documents.
TEST_F(PlugInTest, WhatIsRecordedIsWhatThePlayerDoes)
{
    SetSetting("Local Path", localDir);
    {
        mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
        baseutil::WriteNumberToReg(key.get(), "Record Temporary Task", 2);
    }
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    refhost::RefDocument *start = host->OpenDocument(1, "start.bde");
    ASSERT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
    start->ReportCommand("Place", "R1, 'x'");
    refhost::RefDocument *other = host->OpenDocument(2, "C:\\d\\John's.bde");
    host->NotifyPlugInOpened(CLSID_EditorDocument, 2);
    other->FireOpen(3, "C:\\d\\John's.bde", "sch");
    other->ReportCommand("Wire", "a\\b $x @y");
    host->NotifyPlugInClosed(CLSID_EditorDocument, 2);
    std::string zoom = "Zoom";
    std::string none;
    mimic->RecordEvent(1, reinterpret_cast<LPWSTR>(&zoom[0]), reinterpret_cast<LPWSTR>(&none[0]));
    ASSERT_EQ(mimic->StopRecording(), S_OK);

    host->RunScriptsWith(MIMIC_PERL_LIB, "open\t1\tstart.bde\nfile\t*\n");
    UniqueBstr files(mimic::BstrFromNarrow("start.bde"));
    BSTR list = files.get();
    EXPECT_EQ(mimic->PlayLastMacro(&list), S_OK);
    ASSERT_EQ(host->PlayRuns().size(), 1u);
    const refhost::PlayRun &run = host->PlayRuns()[0];
    EXPECT_EQ(run.result.exitCode, 0) << run.result.output;
    std::vector<std::string> commands;
    for (const TracedCall &c : ParseTrace(run.trace))
        if (c.name == "ExecuteCommand")
            commands.push_back(c.args[0] + " " + c.args[1] + " " + c.args[2]);
    EXPECT_EQ(commands, (std::vector<std::string>{"\\D1 Place R1, 'x'", "\\D1000 Wire a\\b $x @y", "\\D1 Zoom "}));
    plugIn->Close();
}

} // namespace
