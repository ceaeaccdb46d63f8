#include <gtest/gtest.h>
#include <random>

#include "core/MacroRecorder.h"
#include "core/RecorderPrompts.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "base/ModuleLock.h"
#include "script/DocumentSink.h"
#include "tests/support/Actions.h"
#include "tests/support/HostFixture.h"
#include "tests/support/Perl.h"

using mimic::ActionCatalogue;
using mimic::ActionEntry;
using mimic::KMacroRecorder;
using refhost::RefDocument;
using namespace testsupport;

namespace {

// Answers the recorder's questions without a window and notes which it asked.
struct ScriptedPrompts final : mimic::IRecorderPrompts
{
    bool Ask(const char *what, bool answer) { return asked += what, answer; }
    bool ConfirmTemporary(HWND) override { return Ask("confirm ", confirm); }
    bool SettleAction(HWND, ActionEntry &entry) override
    {
        proposed = entry.strAccel;
        if (settle)
            entry.strName = name, entry.nRepeat = repeat;
        return Ask("settle ", settle);
    }
    bool ConfirmOverwrite(HWND) override { return Ask("overwrite ", overwrite); }
    void ReportUntrackedDocument(HWND) override { Ask("untracked ", true); }
    void ReportSaveFailure(HWND, const std::string &error) override
    {
        Ask("failed ", true);
        told = error;
    }

    bool confirm = true, settle = true, overwrite = true;
    std::string name, asked, proposed, told;
    int repeat = 1;
};

class RecorderTest : public HostFixture
{
protected:
    void SetUp() override
    {
        host->OpenPlugIn(CLSID_HostPlugIn);
        host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
        catalogue.SetFramework(Framework());
        locksBefore = mimic::ModuleLockCount();
        start = host->OpenDocument(1, "start.bde");
    }
    void TearDown() override
    {
        recorder.Stop();
        EXPECT_EQ(mimic::ModuleLockCount(), locksBefore) << "every sink is gone";
    }

    // A named start; returns the proposed hotkey.
    std::string StartNamed(const std::string &name, int repeat = 1, UINT cookie = 1)
    {
        prompts.name = name;
        prompts.repeat = repeat;
        prompts.proposed = "<not asked>";
        recorder.Start(nullptr, static_cast<long>(cookie));
        return prompts.proposed;
    }

    long State()
    {
        long state = -1, cookie = -1;
        recorder.GetState(&state, &cookie);
        return state;
    }

    ActionCatalogue catalogue;
    ScriptedPrompts prompts;
    KMacroRecorder recorder{Framework(), 7, catalogue, prompts};
    RefDocument *start = nullptr;
    LONG locksBefore = 0;
};

TEST_F(RecorderTest, ANamedRecordingSavesItsSectionAndIsTheLastAction)
{
    EXPECT_EQ(StartNamed("named", 2), "Ctrl+0");
    start->ReportCommand("Place", "R1, 10, 20");
    recorder.Stop();
    EXPECT_EQ(State(), mimic::RecorderIdle);
    const std::string path = localDir + "\\named.pl";
    EXPECT_EQ(Setting("Last Macro Path") + "|" + std::to_string(Number("Defaul Repeat Count").value_or(0)),
              path + "|2");
    EXPECT_EQ(Section(localDir, "named"), "2|Ctrl+0|" + path + "|0");
}

// Commands from a document the recorder does not track are reported while it records, silently dropped in a pause.
TEST_F(RecorderTest, StartResumesAPauseAndAnyCloseEndsARecordingThatTracksNoDocument)
{
    StartNamed("first");
    recorder.Start(nullptr, 99); // already recording: nothing asked
    long state = 0, cookie = 0;
    recorder.GetState(&state, &cookie);
    EXPECT_EQ(std::make_pair(state, cookie), std::make_pair(static_cast<long>(mimic::RecorderRecording), 1L));
    host->OpenDocument(5, "other.bde");
    recorder.RecordEvent(5, "Lost", "");
    recorder.Pause();
    EXPECT_EQ(State(), mimic::RecorderPaused);
    start->ReportCommand("Dropped", "");
    recorder.RecordEvent(5, "Silent", "");
    recorder.Start(nullptr, 99);
    start->ReportCommand("Kept", "");
    recorder.Stop();
    recorder.Pause();
    EXPECT_EQ(State(), mimic::RecorderIdle);
    EXPECT_EQ(prompts.asked, "settle untracked ");
    EXPECT_EQ(ScriptBody(localDir + "\\first.pl"), "\t$Nexo0->ExecuteCommand('Kept', '');\n}\n");

    // A start in a document the host cannot find tracks nothing; any close ends it.
    StartNamed("nodoc", 1, 42);
    EXPECT_EQ(State(), mimic::RecorderRecording);
    EXPECT_EQ(recorder.TrackedDocuments(), 0u);
    recorder.DetachDocument(CLSID_EditorDocument, 77);
    EXPECT_EQ(State(), mimic::RecorderIdle);
    EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\nodoc.pl");
}

// Each start proposes the next number; past Ctrl+9, or where a number would overflow, it starts again.
TEST_F(RecorderTest, ShortcutNumbersCycleThroughCtrl0ToCtrl9)
{
    const DWORD restart = static_cast<DWORD>(-1);
    const std::tuple<std::optional<DWORD>, const char *, DWORD> rows[] = {
        {std::nullopt, "Ctrl+0", 1u}, {std::nullopt, "Ctrl+1", 2u}, {9u, "Ctrl+9", restart},
        {std::nullopt, "Ctrl+0", 1u}, {0x7fffffff, "Ctrl+2147483647", restart}};
    int n = 0;
    for (auto [set, proposed, after] : rows)
    {
        SCOPED_TRACE(proposed);
        if (set)
            SetNumber("Defaul ShortCut Number", *set);
        EXPECT_EQ(StartNamed("n" + std::to_string(++n)), proposed);
        recorder.Stop();
        EXPECT_EQ(Number("Defaul ShortCut Number"), after);
    }
}

// With "Record Temporary Task" at 1 the recorder asks first, unless "Show confirmation dialog" is set (at 2 it never
// asks: the fault, load and host tests record that way).
TEST_F(RecorderTest, TemporaryRecordingsAskAsSetKeepCtrl0AndGoGlobalWithoutTheHostPlugIns)
{
    AddScript(localDir, "holder.pl");
    WriteIni(localDir, "holder", "Accel", "Ctrl+0");
    catalogue.Load();
    SetNumber("Record Temporary Task", 1);
    SetNumber("Defaul ShortCut Number", 4);
    for (bool confirm : {false, true})
    {
        prompts.confirm = confirm;
        recorder.Start(nullptr, 1);
        recorder.Stop();
        EXPECT_EQ(FileExists(localDir + "\\temporary_action.pl"), confirm) << "a No records nothing";
    }
    EXPECT_EQ(prompts.asked, "confirm confirm ");
    EXPECT_EQ(recorder.Entry().strAccel, "Ctrl+0");
    EXPECT_EQ(Number("Defaul Repeat Count"), 1u);
    EXPECT_EQ(Section(localDir, "holder"), "0||" + localDir + "\\holder.pl|0");

    // Told not to ask; without the host plug-in that carries local actions, a temporary action goes global too.
    SetNumber("Show confirmation dialog", 1);
    prompts.asked.clear();
    host->ClosePlugIn(CLSID_HostPlugIn);
    recorder.Start(nullptr, 1);
    recorder.Stop();
    const std::string global = globalDir + "\\temporary_action.pl";
    EXPECT_EQ(Setting("Last Macro Path") + (FileExists(global) ? "" : " (missing)"), global);
    EXPECT_EQ(prompts.asked, "") << "nothing asked, not even to overwrite";
}

TEST_F(RecorderTest, AStartThatDoesNotGetThroughLeavesNothing)
{
    prompts.settle = false;
    StartNamed("cancelled");
    EXPECT_EQ(State(), mimic::RecorderIdle);
    prompts.settle = true;
    StartNamed("");
    EXPECT_EQ(State(), mimic::RecorderIdle) << "an empty name is a cancel";
    EXPECT_FALSE(Number("Defaul ShortCut Number").has_value()) << "only a started recording moves the number";
    EXPECT_TRUE(Setting("Last Macro Path").empty());
}

// Another copy of the plug-in holds the lock of the folder's catalogue file.
TEST_F(RecorderTest, ALockedCatalogueFileStopsTheStartOrKeepsTheOthersHotkeysAndSaysWhich)
{
    AddAction(localDir, "kept", "3", "Ctrl+4", "1");
    AddAction(globalDir, "holder", "1", "Ctrl+0", nullptr);
    catalogue.Load();
    catalogue.SetLockWait(100);
    {
        HeldCatalogueLock held(localDir);
        ASSERT_TRUE(held.Held());
        StartNamed("kept");
        EXPECT_EQ(State(), mimic::RecorderIdle);
        EXPECT_EQ(prompts.asked, "settle overwrite failed ");
        EXPECT_NE(prompts.told.find(localDir + "\\mimic.ini"), std::string::npos) << prompts.told;
        EXPECT_EQ(ReadTextFile(localDir + "\\kept.pl") + Section(localDir, "kept"), "# kept\n3|Ctrl+4|-|1");
    }
    // The section is saved, but the global file that gives up Ctrl+0 is held.
    HeldCatalogueLock held(globalDir);
    prompts.asked.clear();
    StartNamed("fresh");
    EXPECT_EQ(State(), mimic::RecorderRecording);
    EXPECT_EQ(prompts.asked, "settle failed ");
    EXPECT_NE(prompts.told.find(globalDir + "\\mimic.ini"), std::string::npos) << prompts.told;
    EXPECT_EQ(Section(localDir, "fresh"), "1|Ctrl+0|" + localDir + "\\fresh.pl|0");
    EXPECT_EQ(Section(globalDir, "holder"), "1|Ctrl+0|-|-");
    EXPECT_EQ(FindAction(catalogue, "holder")->strAccel, "Ctrl+0") << "the list says what the file says";
}

// Each sink locks the module until its last reference goes and names its document's variable after the ProgId.
TEST_F(RecorderTest, SinksNameTheirVariableAfterTheProgId)
{
    CLSID acme = {0x5D1A7E10, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}}, odd = acme,
          unregistered = acme;
    odd.Data1 += 1;
    unregistered.Data1 += 2;
    host->RegisterDocumentClass(acme, "Acme.Board.3");
    host->RegisterDocumentClass(odd, "_odd.1");
    StartNamed("names");
    const std::tuple<const CLSID *, int, const char *> cases[] = {
        {&acme, 2, "Acme0002"}, {&odd, 2, "0002"}, {&acme, 10, "Acme000a"}, {&CLSID_EditorDocument, 0, "Vantrel0000"},
        {&unregistered, 3, "0003"}};
    for (auto [clsid, index, name] : cases)
    {
        const LONG locks = mimic::ModuleLockCount();
        mimic::DocumentSink *sink = mimic::DocumentSink::Create();
        sink->AddRef();
        EXPECT_EQ(mimic::ModuleLockCount(), locks + 1) << "a sink locks the module";
        EXPECT_FALSE(sink->Connect(*clsid, 1)) << "no recorder, no document";
        sink->Init(&recorder, index);
        ASSERT_TRUE(sink->Connect(*clsid, 1));
        EXPECT_EQ(sink->VariableName() + " " + sink->ClassIdText(), name + std::string(" CLSID_NexoPlugIn"));
        EXPECT_TRUE(sink->Disconnect());
        EXPECT_EQ(sink->Release(), 0u);
        EXPECT_EQ(mimic::ModuleLockCount(), locks);
    }
}

// Any order of opens, notifications, commands, pauses and closes gives a valid script.
TEST_F(RecorderTest, EverySequenceGivesValidPerl)
{
    std::mt19937 rng(61206);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 25; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string path = localDir + "\\seq" + std::to_string(round) + ".pl";
        StartNamed("seq" + std::to_string(round));
        std::vector<UINT> open{1};
        UINT nextCookie = 10;
        for (int step = 0; step < 40 && !open.empty() && recorder.TrackedDocuments() > 0; ++step)
        {
            const size_t any = static_cast<size_t>(pick(0, static_cast<int>(open.size()) - 1));
            switch (pick(0, 6))
            {
            case 0:
                if (RefDocument *doc = host->OpenDocument(nextCookie, "d.bde"); pick(0, 3) == 0)
                    doc->RefuseAdvise(IID_IDocumentEvents), doc->RefuseAdvise(IID_IDocumentEvents2);
                recorder.AttachDocument(CLSID_EditorDocument, nextCookie);
                open.push_back(nextCookie++);
                break;
            case 1:
                if (const int form = pick(1, 3); form == 1)
                    host->Document(open[any])->FireOpen(-1);
                else
                    form == 2 ? host->Document(open[any])->FireOpen(2, "it's.bde", nullptr)
                              : host->Document(open[any])->FireOpen(3, "a\\", "b'", "$c@d");
                break;
            case 2:
                recorder.Pause();
                break;
            case 3:
                recorder.Start(nullptr, 1);
                break;
            case 4:
                recorder.DetachDocument(CLSID_EditorDocument, open[any]);
                open.erase(open.begin() + static_cast<long>(any));
                break;
            default:
                host->Document(open[any])->ReportCommand("Cmd'", "p\\'");
            }
        }
        recorder.Stop();
        PerlRun check = RunPerl({"-c", PerlPath(path)});
        EXPECT_EQ(check.exitCode, 0) << check.output << ReadTextFile(path);
        for (UINT cookie = 10; cookie < nextCookie; ++cookie)
            host->CloseDocument(cookie);
    }
}

} // namespace
