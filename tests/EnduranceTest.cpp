// A host runs for days: a thousand recordings leave no handle, memory or sink behind, and thousands of actions
// answer as a few do. Figures are printed, not judged.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "mimic.h"
#include "tests/support/PlugInHost.h"

using mimic::UniqueBstr;
using namespace testsupport;

namespace {

// Seconds since `start`, which then restarts.
double Lap(std::chrono::steady_clock::time_point &start)
{
    const auto now = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(now - std::exchange(start, now)).count();
}

// Asked of every handle value in turn: Wine answers GetProcessHandleCount with 0.
long long HandleCount()
{
    long long open = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < (1u << 16); value += 4)
        open += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return open;
}

struct Usage
{
    long long handles = HandleCount();
    long long privateBytes = 0; // the commit charge
    long long heapBytes = 0;    // blocks in use on every heap of the process

    Usage()
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
        privateBytes = static_cast<long long>(counters.PagefileUsage);
        std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
        heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
        for (HANDLE heap : heaps)
        {
            ::HeapLock(heap);
            PROCESS_HEAP_ENTRY entry = {};
            while (::HeapWalk(heap, &entry))
                if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                    heapBytes += entry.cbData;
            ::HeapUnlock(heap);
        }
    }
};

// Temporary recordings that ask nothing: sessions without dialogs.
class EnduranceTest : public PlugInHost
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PlugInHost::SetUp());
        SetNumber("Record Temporary Task", 2);
    }
    void CreateAndInitialize()
    {
        NewPlugIn();
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    }
    void CloseAndRelease()
    {
        plugIn->Close();
        mimic.Reset();
        plugIn.Reset();
    }
    static size_t Sinks(refhost::RefDocument *doc)
    {
        return doc->SinkCount(IID_IDocumentEvents) + doc->SinkCount(IID_IDocumentEvents2) +
               doc->SinkCount(IID_IMimicEventSink);
    }

    // One plug-in object from Initialize to Close. The three ways a recording ends take turns: stopped by the
    // host, ended by closing its last document after a pause, stopped with two documents still tracked.
    void Session(int first, int cycles)
    {
        CreateAndInitialize();
        host->NotifyPlugInOpened(CLSID_HostPlugIn, 50);
        host->NotifyPlugInClosed(CLSID_HostPlugIn, 50);
        mimic->OnChangeActiveDesign();
        refhost::RefDocument *start = host->Document(1);
        for (int i = first; i < first + cycles; ++i)
        {
            const std::string n = std::to_string(i);
            mimic->StartRecording(nullptr, 1);
            start->ReportCommand("Place", ("R" + n).c_str());
            Record(1, "Zoom", n);
            refhost::RefDocument *other = host->OpenDocument(2, "other.bde");
            host->NotifyPlugInOpened(CLSID_EditorDocument, 2);
            other->FireOpen(3, "other.bde", "sch");
            other->ReportCommand("Wire", n.c_str());
            switch (i % 3)
            {
            case 0:
                host->NotifyPlugInClosed(CLSID_EditorDocument, 2);
                mimic->StopRecording();
                break;
            case 1:
                mimic->PauseRecording();
                Record(1, "Dropped", n);
                mimic->StartRecording(nullptr, 1);
                host->NotifyPlugInClosed(CLSID_EditorDocument, 2);
                host->NotifyPlugInClosed(CLSID_EditorDocument, 1);
                break;
            default:
                mimic->StopRecording();
                host->NotifyPlugInClosed(CLSID_EditorDocument, 2);
                break;
            }
            EXPECT_EQ(State(), 0) << "recording " << i << " ended";
            EXPECT_EQ(Sinks(start) + Sinks(other), 0u) << "every document sink of recording " << i << " is unadvised";
            host->CloseDocument(2);
        }
        const std::string last = std::to_string(first + cycles - 1), script = ReadTextFile(TemporaryScript());
        EXPECT_NE(script.find("ExecuteCommand('Place', 'R" + last + "')"), std::string::npos);
        EXPECT_NE(script.find("ExecuteCommand('Wire', '" + last + "')"), std::string::npos);
        EXPECT_EQ(script.find("Dropped"), std::string::npos) << "nothing is recorded while paused";
        CloseAndRelease();
        EXPECT_EQ(host->NotifySinkCount() + host->CommandSinkCount() + host->PlugInSinkCount(), 0u)
            << "Close withdraws the notification, command and plug-in sinks";
        EXPECT_TRUE(dll.CanUnloadNow()) << "nothing keeps the module after a session";
        host->ClearAccelCalls(); // the host's own log of calls is not the plug-in's memory
    }
};

TEST_F(EnduranceTest, AThousandRecordingsLeaveNoHandleMemoryOrSinkBehind)
{
    host->OpenDocument(1, "start.bde");
    const int sessions = 10, cycles = 100;
    Session(0, cycles); // warm-up: first-use allocations and caches
    const Usage before;
    auto t0 = std::chrono::steady_clock::now();
    for (int s = 1; s <= sessions; ++s)
        Session(s * cycles, cycles);
    const double seconds = Lap(t0);
    const Usage after;
    std::printf("[ figures  ] %d recordings: %.2f s; handles %lld -> %lld; private bytes %+lld KiB; heap %+lld\n",
                sessions * cycles, seconds, before.handles, after.handles,
                (after.privateBytes - before.privateBytes) / 1024, after.heapBytes - before.heapBytes);
    ASSERT_GT(before.handles, 0) << "handles are counted";
    EXPECT_LT(after.handles - before.handles, 10);
    EXPECT_LT(after.privateBytes - before.privateBytes, 1LL << 20) << "less than 1 KiB per recording";
    EXPECT_LT(after.heapBytes - before.heapBytes, 64LL << 10) << "COM allocations and strings are freed";
}

struct Action
{
    int repeat = 0;
    std::string accel;
    std::string Text() const { return std::to_string(repeat) + "/" + accel; }
};

class LargeCatalogue : public EnduranceTest
{
protected:
    static constexpr int kActions = 5000;
    static constexpr int kFirstId = 200000; // the catalogue numbers its actions from here

    // Half local, half global; repeat counts over the dialogs' whole range, one in sixteen a hotkey of its own (taken
    // as text, so F1 to F45 will do), three sharing Ctrl+0, one in seven on the menu, one in a hundred without a
    // section. Each mimic.ini goes out in one write: the platform's profile writes would take minutes here.
    void MakeCatalogue()
    {
        const char *const mods[] = {"Ctrl+",       "Alt+",       "Shift+", "Ctrl+Alt+",
                                    "Ctrl+Shift+", "Alt+Shift+", "Ctrl+Alt+Shift+"};
        std::string ini[2];
        for (int k = 0; k < kActions; ++k)
        {
            const bool global = k >= kActions / 2;
            char name[16];
            std::snprintf(name, sizeof(name), "%c%04d", global ? 'g' : 'l', k);
            const std::string path = AddScript(global ? globalDir : localDir, std::string(name) + ".pl");
            Action a;
            if (k % 100 != 99)
            {
                a.repeat = k % 999 + 1;
                if (k % 16 == 5)
                    a.accel = mods[k / 16 % 7] + ("F" + std::to_string(k / 112 + 1));
                if (k == 1001 || k == 3001 || k == 4998)
                    a.accel = "Ctrl+0";
                ini[global] += support::CatalogueSection(name, a.repeat, a.accel, path, k % 7 == 3);
            }
            expected[path] = a;
        }
        WriteTextFile(localDir + "\\mimic.ini", ini[0]);
        WriteTextFile(globalDir + "\\mimic.ini", ini[1]);
    }

    std::map<std::string, Action> expected; // script path -> what its section says
};

TEST_F(LargeCatalogue, FiveThousandActionsAnswerAsAFewDo)
{
    auto t0 = std::chrono::steady_clock::now();
    MakeCatalogue();
    std::printf("[ figures  ] %d scripts and two mimic.ini written in %.2f s\n", kActions, Lap(t0));
    CreateAndInitialize();
    std::printf("[ figures  ] Initialize: %.2f s\n", Lap(t0));

    // Every command id and every hotkey are asked about as the host asks, and what the plug-in says is
    // compared with what the folders hold.
    std::map<std::string, Action> seen;
    std::map<int, std::string> scriptOf;
    for (int id = kFirstId; id < kFirstId + kActions + 100; ++id)
    {
        long times = 0;
        UniqueBstr path, accel;
        if (mimic->GetTaskPlayInfoFromCmdId(static_cast<UINT>(id), &times, path.put()) != S_OK)
            continue;
        EXPECT_EQ(mimic->GetCommandAccelFromId(id, accel.put()), S_OK) << id;
        scriptOf[id] = mimic::NarrowFromBstr(path.get());
        seen[scriptOf[id]] = {static_cast<int>(times), mimic::NarrowFromBstr(accel.get())};
    }
    ASSERT_EQ(scriptOf.size(), expected.size()) << "one id per action";
    EXPECT_EQ(scriptOf.rbegin()->first, kFirstId + static_cast<int>(expected.size()) - 1) << "ids without gaps";

    std::string differences;
    int count = 0;
    for (const auto &[path, action] : expected)
        if (const std::string got = seen.count(path) ? seen[path].Text() : "-"; got != action.Text() && ++count <= 8)
            differences += "\n  " + path + ": " + got + " instead of " + action.Text();
    EXPECT_EQ(count, 0) << differences;
    EXPECT_EQ(host->CommandCount(CLSID_EditorDocument), expected.size()) << "no stale host command";
    EXPECT_EQ(host->CommandCount(CLSID_HostPlugIn), expected.size());

    std::map<std::string, int> owner; // every hotkey finds the first action holding it
    for (auto it = scriptOf.rbegin(); it != scriptOf.rend(); ++it)
        owner[seen[it->second].accel] = it->first; // the lowest id comes last
    int wrongHotkeys = 0;
    for (const auto &kv : owner)
    {
        int id = -1;
        wrongHotkeys += mimic->GetCommandIdFromAccel(Narrow(kv.first), &id) != S_OK || id != kv.second;
    }
    EXPECT_EQ(wrongHotkeys, 0) << "of " << owner.size() << " hotkeys";
    std::printf("[ figures  ] %zu actions looked up in %.2f s\n", seen.size(), Lap(t0));

    CloseAndRelease();
}

} // namespace
