// mimic.dll as a host meets it when the host withholds or fails a service,
// when texts are extreme, and when COM calls come at odd moments. Each case
// says what the user sees, and checks that nothing already stored is lost.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>

#include "core/Raii.h"
#include "core/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "mimic.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Perl.h"
#include "tests/support/PlugInDll.h"
#include "ui/resource.h"

using mimic::ComPtr;
using mimic::UniqueBstr;
using refhost::RefDocument;
using namespace testsupport;

namespace {

class FaultHostTest : public HostFixture
{
protected:
    void SetUp() override
    {
        AddScript(localDir, "local.pl");
        AddScript(globalDir, "global.pl");
        WriteIni(globalDir, "global", "AddToMenu", "1");
        host->OpenPlugIn(CLSID_HostPlugIn);
        host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
        start = host->OpenDocument(1, "start.bde");
        ASSERT_NO_FATAL_FAILURE(dll.Load(MIMIC_DLL_PATH));
        NewPlugIn();
    }
    void TearDown() override
    {
        mimic.Reset();
        plugIn.Reset();
        // Documents may hold sinks of the module.
        for (UINT cookie = 1; cookie < 10; ++cookie)
            host->CloseDocument(cookie);
        EXPECT_TRUE(dll.Release()) << "the module can unload";
    }

    void NewPlugIn()
    {
        mimic.Reset();
        plugIn.Reset();
        ASSERT_EQ(dll.factory->CreateInstance(nullptr, IID_IPlugIn, plugIn.PutVoid()), S_OK);
        ASSERT_EQ(plugIn.As(IID_IMimic, mimic), S_OK);
    }

    void SetNumber(const char *name, DWORD value)
    {
        mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
        baseutil::WriteNumberToReg(key.get(), name, value);
    }
    std::string Setting(const char *name)
    {
        mimic::UniqueHKey key(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn));
        std::string value;
        baseutil::ReadFromReg(key.get(), name, value);
        return value;
    }

    // The host passes narrow text where the type library says LPWSTR.
    HRESULT Record(UINT cookie, std::string command, std::string params)
    {
        command.push_back('\0');
        params.push_back('\0');
        return mimic->RecordEvent(cookie, reinterpret_cast<LPWSTR>(&command[0]), reinterpret_cast<LPWSTR>(&params[0]));
    }
    void StartTemporary(long cookie = 1)
    {
        SetNumber("Record Temporary Task", 2);
        EXPECT_EQ(mimic->StartRecording(nullptr, cookie), S_OK);
    }
    long State()
    {
        long state = -1, cookie = -1;
        return mimic->GetRecorderState(&state, &cookie) == S_OK ? state : -1;
    }
    HRESULT Play(const wchar_t *files)
    {
        UniqueBstr list(::SysAllocString(files));
        BSTR raw = list.get();
        return mimic->PlayLastMacro(&raw);
    }
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

    std::string TemporaryScript() const { return localDir + "\\temporary_action.pl"; }
    // What a script does inside its loop: the text after the loop's head.
    static std::string Body(const std::string &script)
    {
        const std::string head = "$index++ )\n{\n";
        size_t at = script.find(head);
        return at == std::string::npos ? "<no loop>" : script.substr(at + head.size());
    }
    void ExpectStoredActionsIntact()
    {
        EXPECT_EQ(ReadTextFile(localDir + "\\local.pl"), "# action\n");
        EXPECT_EQ(ReadTextFile(globalDir + "\\global.pl"), "# action\n");
        EXPECT_EQ(baseutil::GetPrivateProfileStringA("global", "AddToMenu", "?", (globalDir + "\\mimic.ini").c_str()),
                  "1");
    }
    // Selects the row of the action grid that shows the text in any column.
    static void SelectRowShowing(ModalWindow &w, const std::string &text)
    {
        HWND list = w.FindChild(WC_LISTVIEWA);
        ASSERT_TRUE(list);
        const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < 4; ++column)
            {
                char cell[MAX_PATH] = {};
                LVITEMA item = {};
                item.iSubItem = column;
                item.pszText = cell;
                item.cchTextMax = MAX_PATH;
                ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                if (text != cell)
                    continue;
                item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
                ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                return;
            }
        ADD_FAILURE() << "no row shows " << text;
    }
    static void ExpectNotRegistered(ModalWindow &box)
    {
        EXPECT_EQ(box.MessageText(), "PlugIn not registered!");
        box.Click(IDOK);
    }

    PlugInDll dll;
    ComPtr<IPlugIn> plugIn;
    ComPtr<IMimic> mimic;
    RefDocument *start = nullptr;
};

// ------------------------------------------------------------------ host

TEST_F(FaultHostTest, AWithheldServiceCostsOnlyWhatItServes)
{
    HWND mainWnd = ::CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                     nullptr);
    host->SetMainWindow(mainWnd);
    struct Case
    {
        const char *what;
        std::function<void(bool)> withhold;
        std::function<void()> seen; // while a recording runs
    };
    const Case cases[] = {
        {"no accelerator service: the actions keep their ids and their menu",
         [&](bool off) { host->SetAcceleratorsAvailable(!off); },
         [&] {
             EXPECT_EQ(ActionCount(), 2);
             IUnknown *menu = nullptr;
             ASSERT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), S_OK);
             menu->Release();
             ASSERT_EQ(host->Menus().back()->Items().size(), 1u);
             long times = 0;
             UniqueBstr path;
             EXPECT_EQ(mimic->GetTaskPlayInfoFromCmdId(host->Menus().back()->Items()[0].nCmdId, &times, path.put()),
                       S_OK);
             EXPECT_EQ(mimic::NarrowFromBstr(path.get()), globalDir + "\\global.pl");
         }},
        {"no menu service: the host gets no actions menu",
         [&](bool off) { host->SetMenuServiceAvailable(!off); },
         [&] {
             IUnknown *menu = reinterpret_cast<IUnknown *>(1);
             EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL);
             EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
         }},
        {"no main-window service: messages still appear, owned by no window",
         [&](bool off) { host->SetMainWindowAvailable(!off); },
         [&] {
             ModalDriver driver;
             driver.Expect("", [](ModalWindow &box) {
                 EXPECT_EQ(::GetWindow(box.Handle(), GW_OWNER), nullptr);
                 ExpectNotRegistered(box);
             });
             Record(99, "Lost", "");
             EXPECT_EQ(driver.Pending(), 0u);
         }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        NewPlugIn();
        c.withhold(true);
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
        StartTemporary();
        ASSERT_EQ(State(), 1);
        Record(1, "Place", "R1");
        c.seen();
        EXPECT_EQ(mimic->StopRecording(), S_OK);
        EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n");
        EXPECT_EQ(Setting("Last Macro Path"), TemporaryScript());
        EXPECT_EQ(plugIn->Close(), S_OK);
        c.withhold(false);
        ExpectStoredActionsIntact();
    }
    ::DestroyWindow(mainWnd);
}

TEST_F(FaultHostTest, WhenTheHostFindsNoDocumentEachCommandIsReportedAndTheRecordingStillSaves)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    host->FailDocumentLookup(true);
    StartTemporary();
    EXPECT_EQ(State(), 1) << "the recording runs, tracking no document";
    EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
    start->ReportCommand("Unheard", ""); // nobody listens, nothing is shown
    host->OpenDocument(2, "other.bde");
    host->NotifyPlugInOpened(CLSID_EditorDocument, 2);
    {
        ModalDriver driver;
        driver.Expect("", ExpectNotRegistered).Expect("", ExpectNotRegistered);
        Record(1, "Place", "R1");
        Record(2, "Wire", "");
    }
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "}\n");
    EXPECT_EQ(Setting("Last Macro Path"), TemporaryScript());
    EXPECT_EQ(ActionCount(), 2);
    ExpectStoredActionsIntact();
    plugIn->Close();
}

// A sink that could not be unadvised stays on its document; it must not
// speak for a recording that no longer tracks it, nor outlive the recorder.
TEST_F(FaultHostTest, ADocumentThatCouldNotBeLetGoFallsSilent)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    StartTemporary();
    start->ReportCommand("Kept", "");
    host->FailDocumentLookup(true);
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    host->FailDocumentLookup(false);
    EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "\t$Nexo0->ExecuteCommand('Kept', '');\n}\n");
    EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 1u) << "the document still holds the sink";
    start->ReportCommand("AfterStop", "");

    StartTemporary();
    start->ReportCommand("Once", "");
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "\t$Nexo0->ExecuteCommand('Once', '');\n}\n")
        << "one line per command, whichever sinks the document holds";

    EXPECT_EQ(plugIn->Close(), S_OK);
    start->ReportCommand("AfterClose", ""); // the recorder is gone
    start->FireOpen(2, "start.bde", "");
}

TEST_F(FaultHostTest, WithEveryAdviseRefusedWhatTheHostReportsIsStillRecorded)
{
    host->RefuseNotifyAdvise(true);
    for (const IID *iid : {&IID_IDocumentEvents, &IID_IDocumentEvents2, &IID_IMimicEventSink})
        start->RefuseAdvise(*iid);
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), E_FAIL);
    StartTemporary();
    ASSERT_EQ(State(), 1);
    start->ReportCommand("Unheard", "");
    Record(1, "Place", "R1");
    // The plug-in never hears of documents opened now: their commands are reported.
    host->OpenDocument(2, "other.bde");
    host->NotifyPlugInOpened(CLSID_EditorDocument, 2);
    {
        ModalDriver driver;
        driver.Expect("", ExpectNotRegistered);
        Record(2, "Wire", "");
    }
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n");
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u);
    ExpectStoredActionsIntact();
}

TEST_F(FaultHostTest, WithoutAWorkspaceOrDesignFolderActionsAreOfferedAndRecordedGlobally)
{
    // Whatever a recording does with a folder it does not know, it must not
    // land in the host's working folder.
    const std::string cwd = temp / "cwd";
    MakeFolder(cwd);
    char before[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, before);
    ::SetCurrentDirectoryA(cwd.c_str());
    struct Case
    {
        const char *what;
        const char *localSetting;
        std::function<void()> setUp;
    };
    const Case cases[] = {
        {"no workspace", "Current workspace folder", [&] { host->CloseWorkspace(); }},
        {"a workspace without a file", "Current workspace folder", [&] { host->OpenWorkspace(""); }},
        {"no design", "Current design folder", [&] { host->CloseDesign(); }},
        {"a design without a folder", "Current design folder", [&] { host->OpenDesign(""); }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        SetSetting("Local Path", c.localSetting);
        host->OpenWorkspace(workDir + "\\proj.wsp");
        c.setUp();
        ::DeleteFileA((globalDir + "\\temporary_action.pl").c_str());
        NewPlugIn();
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
        EXPECT_EQ(ActionCount(), 1) << "only the global action";
        UniqueBstr folder;
        EXPECT_EQ(mimic->GetMacroFilesPath(folder.put(), 0), S_OK);
        EXPECT_EQ(mimic::NarrowFromBstr(folder.get()), c.localSetting);

        StartTemporary();
        Record(1, "Place", "R1");
        mimic->StopRecording();
        EXPECT_EQ(Setting("Last Macro Path"), globalDir + "\\temporary_action.pl");
        EXPECT_EQ(Body(ReadTextFile(globalDir + "\\temporary_action.pl")),
                  "\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n");
        plugIn->Close();
        ExpectStoredActionsIntact();
    }
    ::SetCurrentDirectoryA(before);
    for (const char *form : {"Current workspace folder", "Current design folder"})
        EXPECT_FALSE(FileExists(cwd + "\\" + form + "\\temporary_action.pl")) << form;
}

TEST_F(FaultHostTest, AFailingCommandInterpreterStillGetsEveryFile)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    SetSetting("Last Macro Path", "C:\\fix.pl");
    SetNumber("Defaul Repeat Count", 3);
    host->FailRunCommand(true);
    EXPECT_EQ(Play(L"a.bde\nb.bde\nc.bde"), S_OK);
    EXPECT_EQ(host->CommandLines(), (std::vector<std::string>{"runscript -perl {C:\\fix.pl} -1 {a.bde} 3",
                                                              "runscript -perl {C:\\fix.pl} -1 {b.bde} 3",
                                                              "runscript -perl {C:\\fix.pl} -1 {c.bde} 3"}));
    EXPECT_EQ(Setting("Last Macro Path"), "C:\\fix.pl") << "a failed play forgets nothing";
    plugIn->Close();
}

// ------------------------------------------------------------------ text

// Every byte value but NUL, in names, parameters and open notifications, and
// texts of several MiB: the script stays Perl and gives back every byte.
TEST_F(FaultHostTest, EveryByteAndTextsOfMegabytesReplayExactly)
{
    std::string allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes += static_cast<char>(b);
    auto big = [&](size_t size, size_t shift) {
        std::string text;
        text.reserve(size);
        for (size_t i = 0; text.size() < size; ++i)
            text += allBytes[(i + shift) % allBytes.size()];
        return text;
    };

    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    StartTemporary();
    std::vector<std::string> expected;
    for (int b = 1; b < 256; ++b)
    {
        const std::string name(1, static_cast<char>(b)), params = std::string(1, static_cast<char>(b)) + "\\";
        Record(1, name, params);
        expected.push_back("\\D1 " + name + " " + params);
    }
    const std::string hugeName = big(3 << 20, 0), hugeParams = big(5 << 20, 7);
    Record(1, hugeName, hugeParams);
    expected.push_back("\\D1 " + hugeName + " " + hugeParams);

    RefDocument *other = host->OpenDocument(2, allBytes);
    host->NotifyPlugInOpened(CLSID_EditorDocument, 2);
    other->FireOpen(4, allBytes.c_str(), allBytes.c_str(), allBytes.c_str());
    other->ReportCommand(allBytes.c_str(), allBytes.c_str());
    expected.push_back("\\D1000 " + allBytes + " " + allBytes);
    host->NotifyPlugInClosed(CLSID_EditorDocument, 2);
    const std::string hugeFile = big(2 << 20, 3);
    RefDocument *third = host->OpenDocument(3, hugeFile);
    host->NotifyPlugInOpened(CLSID_EditorDocument, 3);
    third->FireOpen(5, hugeFile.c_str(), "");
    third->ReportCommand("Zoom", "");
    expected.push_back("\\D1001 Zoom ");
    EXPECT_EQ(mimic->StopRecording(), S_OK);

    const std::string script = UnixPath(TemporaryScript());
    PerlRun check = RunPerl({"-c", script});
    ASSERT_EQ(check.exitCode, 0) << check.output.substr(0, 2000);
    PerlRun run = RunPerl({script, "1", "start.bde", "1"}, "open\t1\tstart.bde\nfile\t*\n");
    ASSERT_EQ(run.exitCode, 0) << run.output.substr(0, 2000);
    std::vector<std::string> commands, opens;
    for (const TracedCall &c : ParseTrace(run.trace))
    {
        if (c.name == "ExecuteCommand" && c.args.size() == 3)
            commands.push_back(c.args[0] + " " + c.args[1] + " " + c.args[2]);
        if (c.name == "OpenDocumentPlugIn" && c.args.size() == 6)
            opens.push_back(c.args[1] + "|" + c.args[2] + "|" + c.args[3] + "|" + c.args[4]);
    }
    ASSERT_EQ(commands.size(), expected.size());
    for (size_t i = 0; i < commands.size(); ++i)
        EXPECT_TRUE(commands[i] == expected[i]) << "command " << i << " differs";
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_TRUE(opens[0] == "4|" + allBytes + "|" + allBytes + "|" + allBytes);
    EXPECT_TRUE(opens[1] == "5|" + hugeFile + "||");
    plugIn->Close();
}

// The play list and the chosen action's path are wide. A character that the
// ANSI code page cannot carry must never turn into a look-alike that names
// another file: it reaches the host as '?', which no file name can hold.
TEST_F(FaultHostTest, WideFileNamesOutsideTheCodePageNeverNameAnotherFile)
{
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    SetSetting("Last Macro Path", localDir + "\\local.pl");
    const std::vector<std::wstring> files = {L"\x03A9mega.bde", L"\x0100lpha.bde", L"\x4E2D\x6587.bde",
                                             L"caf\x00E9.bde", L"plain.bde"};
    std::wstring list;
    for (const std::wstring &f : files)
        list += f + L"\n";
    EXPECT_EQ(Play(list.c_str()), S_OK);
    ASSERT_EQ(host->CommandLines().size(), files.size()) << "every file is tried, in order";
    const std::string prefix = "runscript -perl {" + localDir + "\\local.pl} -1 {";
    for (size_t i = 0; i < files.size(); ++i)
    {
        const std::string &line = host->CommandLines()[i];
        ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
        const std::string name = line.substr(prefix.size(), line.size() - prefix.size() - 3);
        const bool exact = mimic::WideFromNarrow(name.c_str()) == files[i];
        EXPECT_TRUE(exact || name.find('?') != std::string::npos) << "played as " << name;
    }
    EXPECT_EQ(host->CommandLines().back(), prefix + "plain.bde} 1");

    // Scripts on disc whose names the code page cannot carry are not offered:
    // every action offered names its own file. The chosen action's path comes
    // back whole, the code page's own characters included.
    AddScript(localDir, "caf\xE9.pl");
    AddScript(localDir, "Omega.pl");
    std::vector<std::wstring> unnamable;
    for (const wchar_t *name : {L"\x03A9mega.pl", L"\x4E2D\x6587.pl"})
    {
        unnamable.push_back(mimic::WideFromNarrow(localDir.c_str()) + L"\\" + name);
        ::CloseHandle(::CreateFileW(unnamable.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    mimic->ReloadList();
    std::vector<std::string> offered;
    for (UINT id = 200000; id < 200040; ++id)
    {
        long count = 0;
        UniqueBstr path;
        if (mimic->GetTaskPlayInfoFromCmdId(id, &count, path.put()) == S_OK)
            offered.push_back(mimic::NarrowFromBstr(path.get()));
    }
    std::sort(offered.begin(), offered.end());
    EXPECT_EQ(offered, (std::vector<std::string>{globalDir + "\\global.pl", localDir + "\\Omega.pl",
                                                 localDir + "\\caf\xE9.pl", localDir + "\\local.pl"}));
    long times = 0;
    UniqueBstr chosen;
    {
        ModalDriver driver;
        driver.Expect("Player Settings", [](ModalWindow &w) {
            SelectRowShowing(w, "caf\xE9");
            w.Click(IDOK);
        });
        EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &times, chosen.put()), S_OK);
    }
    EXPECT_EQ(std::wstring(chosen.get() ? chosen.get() : L""),
              mimic::WideFromNarrow((localDir + "\\caf\xE9.pl").c_str()));
    plugIn->Close();
    for (const std::wstring &path : unnamable)
        ::DeleteFileW(path.c_str()); // the scratch folder is removed by narrow names
}

// ------------------------------------------------------------------ COM

TEST_F(FaultHostTest, BeforeInitializeAndAfterCloseCallsDoNothing)
{
    // Settings that would show if anything ran: a temporary recording needs
    // no dialog, and a last action would be played.
    SetNumber("Record Temporary Task", 2);
    SetSetting("Last Macro Path", localDir + "\\local.pl");
    ComPtr<IHostPlugInNotify> notify;
    ASSERT_EQ(plugIn.As(IID_IHostPlugInNotify, notify), S_OK);
    auto nothingHappens = [&](const char *phase) {
        SCOPED_TRACE(phase);
        long n = -5, c = -5;
        BSTR text = reinterpret_cast<BSTR>(1);
        IUnknown *menu = reinterpret_cast<IUnknown *>(1);
        EXPECT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
        EXPECT_EQ(Record(1, "Place", "R1"), S_OK);
        EXPECT_EQ(mimic->PauseRecording(), S_OK);
        EXPECT_EQ(mimic->StopRecording(), S_OK);
        EXPECT_EQ(mimic->GetRecorderState(&n, &c), S_FALSE);
        EXPECT_EQ(mimic->GetMacroFilesPath(&text, 1), S_OK);
        EXPECT_EQ(mimic->ReloadList(), S_OK);
        EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &n, &text), S_OK);
        EXPECT_EQ(mimic->GetTaskManager(nullptr), S_OK);
        EXPECT_EQ(mimic->GetMimicMenu(&menu, CLSID_NULL), E_FAIL);
        EXPECT_EQ(mimic->GetCommandAccelFromId(200000, &text), S_FALSE);
        EXPECT_EQ(Play(L"a.bde"), S_OK);
        EXPECT_EQ(notify->OnPlugInOpened(CLSID_HostPlugIn, 5), S_OK);
        EXPECT_EQ(notify->OnPlugInOpened(CLSID_EditorDocument, 1), S_OK);
        EXPECT_EQ(notify->OnPlugInClosed(CLSID_EditorDocument, 1), S_OK);
        EXPECT_EQ(n, -5);
        EXPECT_EQ(c, -5);
        EXPECT_EQ(text, reinterpret_cast<BSTR>(1));
        EXPECT_EQ(menu, reinterpret_cast<IUnknown *>(1));
        EXPECT_TRUE(host->CommandLines().empty()) << "nothing played";
        EXPECT_EQ(host->PlugInSinkCount() + host->NotifySinkCount() + host->CommandSinkCount(), 0u);
        EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
        EXPECT_FALSE(FileExists(TemporaryScript())) << "nothing recorded";
        EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\local.pl");
    };
    nothingHappens("before Initialize");
    EXPECT_EQ(plugIn->Close(), S_OK) << "a Close before Initialize is harmless";
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(host->NotifySinkCount(), 1u);
    EXPECT_EQ(plugIn->Close(), S_OK);
    nothingHappens("after Close");
    EXPECT_EQ(plugIn->Close(), S_OK);
    nothingHappens("after a second Close");
    ExpectStoredActionsIntact();
}

// The host's message loop runs while a dialog of the plug-in is open, so the
// host may stop the recording or close the plug-in from inside it.
TEST_F(FaultHostTest, StopOrCloseFromInsideADialogWaitsForItAndLosesNothing)
{
    struct Case
    {
        const char *what;
        const char *caption;
        std::function<void(ModalWindow &)> finish;
        std::function<void()> open;
        std::function<void()> check;
    };
    long times = -5;
    UniqueBstr chosen;
    const Case cases[] = {
        {"Action Properties: the recording it starts is saved at once", "Action Properties",
         [](ModalWindow &w) {
             w.SetText(IDC_TP_NAME, "inside");
             w.SetText(IDC_TP_REPEAT, "4");
             w.Click(IDOK);
         },
         [&] {
             SetNumber("Record Temporary Task", 0);
             mimic->StartRecording(nullptr, 1);
         },
         [&] {
             EXPECT_EQ(Body(ReadTextFile(localDir + "\\inside.pl")), "}\n");
             EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\inside.pl");
             EXPECT_EQ(start->SinkCount(IID_IMimicEventSink), 0u);
         }},
        {"Player Settings: the choice is handed out and kept", "Player Settings",
         [](ModalWindow &w) {
             SelectRowShowing(w, "local");
             w.SetText(IDC_PS_REPEAT, "6");
             w.Click(IDOK);
         },
         [&] { mimic->GetCommandFileNameToPlay(nullptr, &times, chosen.put()); },
         [&] {
             EXPECT_EQ(times, 6);
             EXPECT_EQ(mimic::NarrowFromBstr(chosen.get()), localDir + "\\local.pl");
             EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\local.pl");
         }},
        {"Action Manager", "Action Manager", [](ModalWindow &w) { w.Click(IDCANCEL); },
         [&] { mimic->GetTaskManager(nullptr); }, [] {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        NewPlugIn();
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
        ModalDriver driver;
        driver.Expect(c.caption, [&](ModalWindow &w) {
            EXPECT_EQ(mimic->StopRecording(), S_OK);
            EXPECT_EQ(plugIn->Close(), S_OK);
            EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount(), 0u) << "Close lets go of the host at once";
            c.finish(w);
        });
        c.open();
        EXPECT_EQ(driver.Pending(), 0u);
        EXPECT_EQ(State(), -1) << "closed";
        c.check();
        ExpectStoredActionsIntact();
    }
}

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
    ASSERT_EQ(dll.factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void **>(&outer.inner)), S_OK);
    ASSERT_EQ(outer.QueryInterface(IID_IPlugIn, plugIn.PutVoid()), S_OK);
    ASSERT_EQ(outer.QueryInterface(IID_IMimic, mimic.PutVoid()), S_OK);
    const ULONG held = outer.refs;
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    EXPECT_EQ(outer.refs, held + 2) << "the host's notification and command-sink references keep the outer object";
    StartTemporary();
    start->ReportCommand("Place", "R1");
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_EQ(Body(ReadTextFile(TemporaryScript())), "\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n");
    EXPECT_EQ(plugIn->Close(), S_OK);
    EXPECT_EQ(outer.refs, held);
    mimic.Reset();
    plugIn.Reset();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

TEST_F(FaultHostTest, NullPointersAtTheOtherDoorsAreRefused)
{
    ComPtr<IHostPreferencesPage> pages;
    ASSERT_EQ(plugIn.As(IID_IHostPreferencesPage, pages), S_OK);
    EXPECT_EQ(pages->CreatePage(Framework(), nullptr, 0, nullptr), E_POINTER);
    EXPECT_EQ(mimic->GetTypeInfoCount(nullptr), E_POINTER);
    EXPECT_EQ(mimic->GetTypeInfo(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(plugIn->QueryInterface(IID_IMimic, nullptr), E_POINTER);
    EXPECT_EQ(dll.factory->CreateInstance(nullptr, IID_IPlugIn, nullptr), E_POINTER);

    // Late binding with a null out-parameter, or with no parameters at all.
    ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    VARIANTARG args[2];
    args[0].vt = VT_I4; // bGlobal, the last parameter first
    args[0].lVal = 1;
    args[1].vt = VT_BYREF | VT_BSTR;
    args[1].pbstrVal = nullptr;
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXCEPINFO info = {};
    UINT argErr = 0;
    EXPECT_HRESULT_FAILED(mimic->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, &argErr));
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
    EXPECT_HRESULT_FAILED(mimic->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr));
    wchar_t nameText[] = L"GetRecorderState";
    LPOLESTR name = nameText;
    EXPECT_HRESULT_FAILED(mimic->GetIDsOfNames(IID_NULL, &name, 1, 0, nullptr));
    plugIn->Close();
}

} // namespace
