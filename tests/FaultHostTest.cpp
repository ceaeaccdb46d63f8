// mimic.dll when the host withholds or fails a service, when file names leave the code page and when COM calls
// come at odd moments. What was stored before must come through.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <tuple>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "mimic.h"
#include "tests/support/Actions.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PlugInHost.h"
#include "ui/resource.h"

using mimic::ComPtr;
using mimic::UniqueBstr;
using refhost::RefDocument;
using namespace testsupport;

namespace {

const char kPlaced[] = "\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n";

class FaultHostTest : public PlugInHost
{
protected:
    void SetUp() override
    {
        AddScript(localDir, "local.pl");
        AddScript(globalDir, "global.pl");
        WriteIni(globalDir, "global", "AddToMenu", "1");
        PlugInHost::SetUp();
        start = host->OpenDocument(1, "start.bde");
    }
    void TearDown() override
    {
        EXPECT_EQ(ReadTextFile(localDir + "\\local.pl"), "# action\n");
        EXPECT_EQ(ReadTextFile(globalDir + "\\global.pl"), "# action\n");
        EXPECT_EQ(baseutil::GetPrivateProfileStringA("global", "AddToMenu", "?", (globalDir + "\\mimic.ini").c_str()),
                  "1");
        PlugInHost::TearDown();
    }

    static void ExpectNotRegistered(ModalWindow &box)
    {
        EXPECT_EQ(box.MessageText(), "PlugIn not registered!");
        box.Click(IDOK);
    }

    RefDocument *start = nullptr;
};

TEST_F(FaultHostTest, AWithheldServiceCostsOnlyWhatItServes)
{
    UINT other = 2;
    auto unheard = [&] { // the start document's commands reach nobody; a document opened now is reported
        EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
        start->ReportCommand("Unheard", "");
        host->OpenDocument(other, "other.bde");
        host->NotifyPlugInOpened(CLSID_EditorDocument, other);
        ModalDriver driver;
        driver.Expect("", ExpectNotRegistered);
        Record(other++, "Wire", "");
    };
    // What is withheld, how Initialize answers, the recorded body, what is seen while the recording runs.
    const std::tuple<const char *, std::function<void(bool)>, HRESULT, const char *, std::function<void()>> cases[] = {
        {"no accelerator service: the actions keep their ids",
         [&](bool off) { host->SetAcceleratorsAvailable(!off); }, S_OK, kPlaced, [] {}},
        {"no menu service: the host gets no actions menu", [&](bool off) { host->SetMenuServiceAvailable(!off); },
         S_OK, kPlaced,
         [&] {
             IUnknown *menu = reinterpret_cast<IUnknown *>(1);
             EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL);
             EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
         }},
        {"no document found: the recording runs, tracking none, and each command is reported",
         [&](bool off) { host->FailDocumentLookup(off); }, S_OK, "}\n", unheard},
        {"every advise refused: what the host reports is still recorded",
         [&](bool off) {
             host->RefuseNotifyAdvise(off);
             for (const IID *iid : {&IID_IDocumentEvents, &IID_IDocumentEvents2, &IID_IMimicEventSink})
                 start->RefuseAdvise(*iid, off);
         },
         E_FAIL, kPlaced,
         [&] {
             EXPECT_EQ(host->CommandSinkCount(), 1u);
             unheard();
         }},
    };
    for (const auto &[what, withhold, init, body, seen] : cases)
    {
        SCOPED_TRACE(what);
        ::DeleteFileA(TemporaryScript().c_str());
        NewPlugIn();
        withhold(true);
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), init);
        StartTemporary();
        ASSERT_EQ(State(), 1);
        {
            ModalDriver driver;
            if (body != kPlaced)
                driver.Expect("", ExpectNotRegistered);
            Record(1, "Place", "R1");
        }
        EXPECT_EQ(Offered(), (std::vector<std::string>{localDir + "\\local.pl", globalDir + "\\global.pl"}));
        seen();
        EXPECT_EQ(mimic->StopRecording(), S_OK);
        EXPECT_EQ(ScriptBody(TemporaryScript()), body);
        EXPECT_EQ(Setting("Last Macro Path"), TemporaryScript());
        EXPECT_EQ(plugIn->Close(), S_OK);
        EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u);
        withhold(false);
    }
}

// A document that keeps the sink it could not be made to let go: the next recording writes its command once, and
// a report after Close reaches no recorder.
TEST_F(FaultHostTest, ADocumentThatCouldNotBeLetGoFallsSilent)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    StartTemporary();
    start->ReportCommand("Kept", "");
    host->FailDocumentLookup(true);
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    host->FailDocumentLookup(false);
    EXPECT_EQ(ScriptBody(TemporaryScript()), "\t$Nexo0->ExecuteCommand('Kept', '');\n}\n");
    EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 1u) << "the document still holds the sink";
    start->ReportCommand("AfterStop", "");

    StartTemporary();
    start->ReportCommand("Once", "");
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(ScriptBody(TemporaryScript()), "\t$Nexo0->ExecuteCommand('Once', '');\n}\n") << "one line, not two";

    EXPECT_EQ(plugIn->Close(), S_OK);
    start->ReportCommand("AfterClose", ""); // the recorder is gone
    start->FireOpen(2, "start.bde", "");
}

// A character the ANSI code page cannot carry must never turn into a look-alike that names another file: it
// reaches the host as '?', which no file name can hold. The host fails every line here: each file is tried.
TEST_F(FaultHostTest, WideFileNamesOutsideTheCodePageNeverNameAnotherFile)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    SetSetting("Last Macro Path", localDir + "\\local.pl");
    SetNumber("Defaul Repeat Count", 3);
    host->FailRunCommand(true);
    const std::vector<std::wstring> files = {L"a.bde", L"\x03A9mega.bde", L"\x0100lpha.bde", L"\x4E2D\x6587.bde",
                                             L"caf\x00E9.bde", L"plain.bde"};
    std::wstring list;
    for (const std::wstring &f : files)
        list += f + L"\n";
    EXPECT_EQ(Play(list), S_OK);
    ASSERT_EQ(host->CommandLines().size(), files.size()) << "every file is tried, in order";
    const std::string prefix = "runscript -perl {" + localDir + "\\local.pl} -1 {";
    for (size_t i = 0; i < files.size(); ++i)
    {
        const std::string &line = host->CommandLines()[i];
        ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
        ASSERT_EQ(line.substr(line.size() - 3), "} 3");
        const std::string name = line.substr(prefix.size(), line.size() - prefix.size() - 3);
        EXPECT_TRUE(mimic::WideFromNarrow(name.c_str()) == files[i] || name.find('?') != std::string::npos) << name;
    }
    EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\local.pl") << "a failed play forgets nothing";
    host->FailRunCommand(false);

    // Scripts whose names the code page cannot carry are not offered; the chosen action's path comes back
    // whole, the code page's own characters included.
    AddScript(localDir, "caf\xE9.pl");
    AddScript(localDir, "Omega.pl");
    std::vector<std::wstring> unnamable;
    for (const wchar_t *name : {L"\x03A9mega.pl", L"\x4E2D\x6587.pl"})
    {
        unnamable.push_back(mimic::WideFromNarrow(localDir.c_str()) + L"\\" + name);
        ::CloseHandle(::CreateFileW(unnamable.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    mimic->ReloadList();
    std::vector<std::string> offered = Offered();
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, (std::vector<std::string>{globalDir + "\\global.pl", localDir + "\\Omega.pl",
                                                 localDir + "\\caf\xE9.pl", localDir + "\\local.pl"}));
    long times = 0;
    UniqueBstr chosen;
    ModalDriver driver;
    driver.Expect("Player Settings", [](ModalWindow &w) {
        SelectActions(w, {"caf\xE9"});
        w.Click(IDOK);
    });
    EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &times, chosen.put()), S_OK);
    EXPECT_EQ(std::wstring(chosen.get() ? chosen.get() : L""),
              mimic::WideFromNarrow((localDir + "\\caf\xE9.pl").c_str()));
    plugIn->Close();
    for (const std::wstring &path : unnamable)
        ::DeleteFileW(path.c_str()); // the scratch folder is removed by narrow names
}

TEST_F(FaultHostTest, BeforeInitializeAndAfterCloseCallsDoNothingAndNullOutParametersAreRefused)
{
    // What would show if anything ran: a temporary recording asks nothing, and a last action would play.
    SetNumber("Record Temporary Task", 2);
    SetSetting("Last Macro Path", localDir + "\\local.pl");
    ComPtr<IHostPlugInNotify> notify;
    ComPtr<IHostPreferencesPage> pages;
    ASSERT_EQ(plugIn.As(IID_IHostPlugInNotify, notify), S_OK);
    ASSERT_EQ(plugIn.As(IID_IHostPreferencesPage, pages), S_OK);
    auto nullsRefused = [&] {
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
        EXPECT_EQ(pages->CreatePage(Framework(), nullptr, 0, nullptr), E_POINTER);
        EXPECT_EQ(mimic->GetTypeInfoCount(nullptr), E_POINTER);
        EXPECT_EQ(plugIn->QueryInterface(IID_IMimic, nullptr), E_POINTER);
    };
    auto nothingHappens = [&] {
        long n = -5, c = -5;
        BSTR text = reinterpret_cast<BSTR>(1);
        IUnknown *menu = reinterpret_cast<IUnknown *>(1);
        host->ClearAccelCalls();
        EXPECT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
        EXPECT_EQ(Record(1, "Place", "R1"), S_OK);
        EXPECT_EQ(mimic->PauseRecording(), S_OK);
        EXPECT_EQ(mimic->StopRecording(), S_OK);
        EXPECT_EQ(mimic->GetRecorderState(&n, &c), S_FALSE);
        EXPECT_EQ(mimic->GetMacroFilesPath(&text, 1), S_OK);
        EXPECT_EQ(mimic->ReloadList(), S_OK);
        EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK);
        EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &n, &text), S_OK);
        EXPECT_EQ(mimic->GetTaskManager(nullptr), S_OK);
        EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL);
        EXPECT_EQ(mimic->GetCommandAccelFromId(200000, &text), S_FALSE);
        EXPECT_EQ(Play(L"a.bde"), S_OK);
        EXPECT_EQ(notify->OnPlugInOpened(CLSID_HostPlugIn, 5), S_OK);
        EXPECT_EQ(notify->OnPlugInOpened(CLSID_EditorDocument, 1), S_OK);
        EXPECT_EQ(notify->OnPlugInClosed(CLSID_EditorDocument, 1), S_OK);
        EXPECT_TRUE(n == -5 && c == -5 && text == reinterpret_cast<BSTR>(1) && menu == reinterpret_cast<IUnknown *>(1))
            << "out-parameters untouched";
        EXPECT_TRUE(host->CommandLines().empty()) << "nothing played";
        EXPECT_TRUE(host->AccelCalls().empty()) << "the catalogue keeps no framework to register with";
        EXPECT_EQ(host->PlugInSinkCount() + host->NotifySinkCount() + host->CommandSinkCount(), 0u);
        EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
        EXPECT_FALSE(FileExists(TemporaryScript())) << "nothing recorded";
        EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\local.pl");
    };
    const char *phases[] = {"before Initialize", "initialized", "after Close", "after a second Close"};
    for (int phase = 0; phase < 4; ++phase)
    {
        SCOPED_TRACE(phases[phase]);
        nullsRefused();
        if (phase != 1)
            nothingHappens();
        if (phase == 0)
        {
            EXPECT_EQ(plugIn->Close(), S_OK) << "a Close before Initialize is harmless";
        }
        EXPECT_EQ(phase == 0 ? plugIn->Initialize(Framework(), 9) : plugIn->Close(), S_OK);
    }
}

// The host's message loop runs while a dialog of the plug-in is open, so the host may stop the recording or
// close the plug-in from inside it.
TEST_F(FaultHostTest, StopOrCloseFromInsideADialogWaitsForItAndLosesNothing)
{
    long times = -5;
    UniqueBstr chosen;
    // The dialog, how the user ends it, the call that opens it, the last action afterwards.
    const std::tuple<const char *, std::function<void(ModalWindow &)>, std::function<void()>, std::string> cases[] = {
        {"Action Properties",
         [](ModalWindow &w) {
             w.SetText(IDC_TP_NAME, "inside");
             w.Click(IDOK);
         },
         [&] { mimic->StartRecording(nullptr, 1); }, localDir + "\\inside.pl"},
        {"Player Settings",
         [](ModalWindow &w) {
             SelectActions(w, {"local"});
             w.SetText(IDC_PS_REPEAT, "6");
             w.Click(IDOK);
         },
         [&] { mimic->GetCommandFileNameToPlay(nullptr, &times, chosen.put()); }, localDir + "\\local.pl"},
        {"Action Manager", [](ModalWindow &w) { w.Click(IDCANCEL); }, [&] { mimic->GetTaskManager(nullptr); },
         localDir + "\\local.pl"},
    };
    SetNumber("Record Temporary Task", 0);
    for (const auto &[caption, finish, open, lastAction] : cases)
    {
        SCOPED_TRACE(caption);
        NewPlugIn();
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
        ModalDriver driver;
        driver.Expect(caption, [&, &finish = finish](ModalWindow &w) {
            EXPECT_EQ(mimic->StopRecording(), S_OK);
            EXPECT_EQ(plugIn->Close(), S_OK);
            EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u) << "Close lets go of the host at once";
            finish(w);
        });
        open();
        EXPECT_EQ(driver.Pending(), 0u);
        EXPECT_EQ(State(), -1) << "closed";
        EXPECT_EQ(Setting("Last Macro Path"), lastAction);
    }
    EXPECT_EQ(ScriptBody(localDir + "\\inside.pl"), "}\n") << "the recording the dialog started is saved at once";
    EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
    EXPECT_EQ(times, 6);
    EXPECT_EQ(mimic::NarrowFromBstr(chosen.get()), localDir + "\\local.pl");
}

// Aggregated, every interface answers for the outer object, and the host's links to the plug-in hold the outer
// object, not the inner one.
TEST_F(FaultHostTest, AnAggregatedPlugInIsHeldThroughItsOuterObject)
{
    struct Outer : IUnknown
    {
        ULONG refs = 1;
        IUnknown *inner = nullptr;
        STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
        {
            if (!IsEqualIID(riid, IID_IUnknown))
                return inner->QueryInterface(riid, ppv);
            *ppv = this;
            AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
        STDMETHODIMP_(ULONG) Release() override { return --refs; }
    } outer;
    plugIn.Reset(); // the fixture's own object is not used here
    mimic.Reset();
    void *refused = &refused;
    EXPECT_EQ(dll.factory->CreateInstance(&outer, IID_IMimic, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    ASSERT_EQ(dll.factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void **>(&outer.inner)), S_OK);
    for (const IID *iid : {&IID_IPlugIn, &IID_IDocumentEvents2, &IID_IHostPlugInNotify, &IID_IMimic, &IID_IDispatch,
                           &IID_IHostPreferencesPage, &IID_IPlugInCommandSink})
    {
        IUnknown *part = nullptr, *identity = nullptr;
        ASSERT_EQ(outer.inner->QueryInterface(*iid, reinterpret_cast<void **>(&part)), S_OK);
        EXPECT_EQ(outer.refs, 2u) << "the reference went to the outer object";
        part->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
        EXPECT_EQ(identity, static_cast<IUnknown *>(&outer));
        identity->Release();
        part->Release();
        EXPECT_EQ(outer.refs, 1u);
    }

    ASSERT_EQ(outer.QueryInterface(IID_IPlugIn, plugIn.PutVoid()), S_OK);
    ASSERT_EQ(outer.QueryInterface(IID_IMimic, mimic.PutVoid()), S_OK);
    const ULONG held = outer.refs;
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(outer.refs, held + 2) << "the host's notification and command-sink references keep the outer object";
    StartTemporary();
    start->ReportCommand("Place", "R1");
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(ScriptBody(TemporaryScript()), kPlaced);
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(outer.refs, held);
    mimic.Reset();
    plugIn.Reset();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

} // namespace
