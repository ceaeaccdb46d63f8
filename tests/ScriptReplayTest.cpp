// Generated scripts run for real: perl with the stand-in host modules, whose
// trace shows what a playback did.
#include <gtest/gtest.h>
#include <random>

#include "library/ActionCatalogue.h"
#include "script/PerlQuote.h"
#include "script/ScriptWriter.h"
#include "tests/support/Perl.h"
#include "tests/support/TestFolders.h"

using mimic::ScriptWriter;
using namespace testsupport;

namespace {

const char kNexo[] = "{8478BA66-37A8-4F80-9B32-E173A6F77C2B}";
const char kPlayBack[] = "12763CA3-B373-4E33-AAAE-70AA2C9A5B37";
const char kOutput[] = "{CDB36314-5E6C-436A-9B40-48876AB31048}";
const char kConsole[] = "{DCF6E3CA-9B9C-4DCE-8914-267392B99125}";

class ScriptReplayTest : public ::testing::Test
{
protected:
    // A writer on a fresh script; the catalogue has no folders, so no section is saved.
    ScriptWriter &Writer()
    {
        EXPECT_EQ(writer.Open(script.c_str(), 0), S_OK);
        return writer;
    }

    void ExpectCompiles()
    {
        PerlRun check = RunPerl({"-c", UnixPath(script)});
        EXPECT_EQ(check.exitCode, 0) << check.output;
        EXPECT_NE(check.output.find("syntax OK"), std::string::npos) << check.output;
    }

    std::vector<TracedCall> Play(const std::vector<std::string> &args, const std::string &state, int exitCode = 0)
    {
        std::vector<std::string> all{UnixPath(script)};
        all.insert(all.end(), args.begin(), args.end());
        PerlRun run = RunPerl(all, state);
        EXPECT_EQ(run.exitCode, exitCode) << run.output;
        return ParseTrace(run.trace);
    }

    // The ExecuteCommand calls, as "document command params".
    static std::vector<std::string> Commands(const std::vector<TracedCall> &calls)
    {
        std::vector<std::string> out;
        for (const TracedCall &c : calls)
            if (c.name == "ExecuteCommand" && c.args.size() == 3)
                out.push_back(c.args[0] + " " + c.args[1] + " " + c.args[2]);
        return out;
    }

    TempFolder temp;
    std::string script = temp / "action.pl";
    mimic::ActionCatalogue catalogue;
    ScriptWriter writer{catalogue};
};

TEST_F(ScriptReplayTest, ArgumentsChooseTheDocumentAndTheNumberOfRounds)
{
    ScriptWriter &w = Writer();
    w.WriteCommand("d", "Zoom", "1");
    w.WriteCommand("d", "Place", "R1, 'x'");
    w.Close();
    ExpectCompiles();

    struct Case
    {
        const char *what;
        std::vector<std::string> args;
        std::string state;
        const char *connect; // the first call
        const char *document;
        int rounds;
    };
    const std::string openTop = "open\t5\ttop.bde\n";
    const Case cases[] = {
        {"cookie -1 connects by file name", {"-1", "top.bde", "3"}, openTop, "ConnectDocumentPlugIn", "\\D5", 3},
        {"a cookie connects by cookie", {"5", "other.bde", "2"}, openTop, "ConnectDocumentPlugInWithCookie", "\\D5", 2},
        {"two arguments: the count is the second", {"5", "2"}, openTop, "ConnectDocumentPlugInWithCookie", "\\D5", 2},
        {"a count of 0 runs once", {"-1", "top.bde", "0"}, openTop, "ConnectDocumentPlugIn", "\\D5", 1},
        {"a negative count runs once", {"-1", "top.bde", "-4"}, openTop, "ConnectDocumentPlugIn", "\\D5", 1},
        {"a closed document is opened", {"-1", "new.bde", "1"}, "file\tnew.bde\n", "ConnectDocumentPlugIn", "\\D1000",
         1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<TracedCall> calls = Play(c.args, c.state);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[0].name, c.connect);
        std::vector<std::string> expected;
        for (int r = 0; r < c.rounds; ++r)
        {
            expected.push_back(std::string(c.document) + " Zoom 1");
            expected.push_back(std::string(c.document) + " Place R1, 'x'");
        }
        EXPECT_EQ(Commands(calls), expected);
    }

    std::vector<TracedCall> calls = Play({"-1", "new.bde", "1"}, "file\tnew.bde\n");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{kNexo, "new.bde", "", kPlayBack}));
    EXPECT_EQ(calls[1].name, "OpenDocumentPlugIn");
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{kNexo, "4294967295", "new.bde", "", "", kPlayBack}));
}

TEST_F(ScriptReplayTest, ADocumentThatCannotBeReachedEndsWithTheConsoleMessage)
{
    ScriptWriter &w = Writer();
    w.WriteCommand("d", "Zoom", "1");
    w.Close();
    std::vector<TracedCall> calls = Play({"-1", "C:\\notes.txt", "2"}, "unopenable\tC:\\\\notes.txt\n", 1);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].name, "ConnectDocumentPlugIn");
    EXPECT_EQ(calls[0].args[1], "C:\\notes.txt");
    EXPECT_EQ(calls[1].name, "OpenDocumentPlugIn");
    EXPECT_EQ(calls[1].result, "\\U");
    EXPECT_EQ(calls[2].name, "ConnectPlugIn");
    EXPECT_EQ(calls[2].args, (std::vector<std::string>{kOutput, kConsole}));
    EXPECT_EQ(calls[3].name, "PrintString");
    EXPECT_EQ(calls[3].args,
              (std::vector<std::string>{"\\C", "NEXO User Actions Recorder/Player supports text files only.", "1"}));
}

TEST_F(ScriptReplayTest, DocumentsOpenedWhileRecordingAreOpenedAgainInEveryRound)
{
    ScriptWriter &w = Writer();
    w.WriteCommand("d0", "A", "");
    w.OpenDocument("d1", "CLSID_NexoPlugIn", mimic::FormatOpenParams(2, "C:\\d\\b.bde", "x", "y").c_str());
    w.WriteCommand("d1", "B", "");
    w.CloseDocument("d1", 9, true);
    w.WriteCommand("d0", "C", "");
    w.Close();
    ExpectCompiles();

    std::vector<TracedCall> calls = Play({"-1", "top.bde", "2"}, "open\t5\ttop.bde\nfile\t*\n");
    EXPECT_EQ(Commands(calls), (std::vector<std::string>{"\\D5 A ", "\\D1000 B ", "\\D5 C ", "\\D5 A ", "\\D1001 B ",
                                                         "\\D5 C "}));
    std::vector<std::string> opens, closes;
    for (const TracedCall &c : calls)
    {
        if (c.name == "OpenDocumentPlugIn")
            opens.push_back(c.args[1] + "|" + c.args[2] + "|" + c.args[3] + "|" + c.args[4]);
        if (c.name == "CloseDocumentPlugIn")
            closes.push_back(c.args[0] + "|" + c.args[1] + "|" + c.result);
    }
    EXPECT_EQ(opens, (std::vector<std::string>{"2|C:\\d\\b.bde|x|y", "2|C:\\d\\b.bde|x|y"}));
    EXPECT_EQ(closes, (std::vector<std::string>{"\\D1000|1|1", "\\D1001|1|1"}));

    // When the document cannot be opened again, the script finds it open by its name.
    calls = Play({"-1", "top.bde", "1"}, "open\t5\ttop.bde\nopen\t9\tC:\\\\d\\\\b.bde\nunopenable\tC:\\\\d\\\\b.bde\n");
    EXPECT_EQ(Commands(calls), (std::vector<std::string>{"\\D5 A ", "\\D9 B ", "\\D5 C "}));
}

// Random texts of every byte value, heavy in what Perl treats specially.
class TextSource
{
public:
    explicit TextSource(unsigned seed) : m_rng(seed) {}
    std::string Next()
    {
        static const char *const specials[] = {"'", "\\", "\"", "$", "@", "\\\\srv\\share\\", "$x", "@{[1]}", "\\'",
                                               "''", "\\n", "${\\ 1}", "#"};
        std::string text;
        int parts = Pick(0, 6);
        for (int i = 0; i < parts; ++i)
        {
            if (Pick(0, 2) == 0)
                text += specials[Pick(0, static_cast<int>(std::size(specials)) - 1)];
            else
                for (int n = Pick(1, 8); n > 0; --n)
                    text += static_cast<char>(Pick(1, 255));
        }
        if (Pick(0, 4) == 0)
            text += '\\'; // a trailing backslash
        return text;
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

private:
    std::mt19937 m_rng;
};

TEST_F(ScriptReplayTest, AnyTextArrivesExactlyAsRecorded)
{
    TextSource source(20261206);
    ScriptWriter &w = Writer();
    std::vector<std::string> expectedCommands, expectedOpens;
    int cookie = 1000;
    int current = 5;
    for (int i = 0; i < 3000; ++i)
    {
        if (i % 25 == 0)
        {
            std::string t1 = source.Next(), t2 = source.Next(), t3 = source.Next();
            long value = source.Pick(-5, 100000);
            bool four = source.Pick(0, 1) == 1;
            std::string params = four ? mimic::FormatOpenParams(value, t1.c_str(), t2.c_str(), t3.c_str())
                                      : mimic::FormatOpenParams(value, t1.c_str(), t2.c_str());
            if (i > 0)
                w.CloseDocument("d", 0, true);
            w.OpenDocument("d", "CLSID_NexoPlugIn", params.c_str());
            expectedOpens.push_back(std::to_string(value) + "|" + t1 + "|" + t2 + "|" + (four ? t3 : ""));
            current = cookie++;
        }
        std::string command = source.Next(), params = source.Next();
        w.WriteCommand("d", command.c_str(), params.c_str());
        expectedCommands.push_back("\\D" + std::to_string(current) + " " + command + " " + params);
    }
    w.Close();
    ExpectCompiles();

    std::vector<TracedCall> calls = Play({"5", "start.bde", "1"}, "open\t5\tstart.bde\nfile\t*\n");
    std::vector<std::string> commands = Commands(calls);
    ASSERT_EQ(commands.size(), expectedCommands.size());
    for (size_t i = 0; i < commands.size(); ++i)
        ASSERT_EQ(commands[i], expectedCommands[i]) << "command " << i;
    std::vector<std::string> opens;
    for (const TracedCall &c : calls)
        if (c.name == "OpenDocumentPlugIn" && c.args.size() == 6)
            opens.push_back(c.args[1] + "|" + c.args[2] + "|" + c.args[3] + "|" + c.args[4]);
    EXPECT_EQ(opens, expectedOpens);
}

TEST_F(ScriptReplayTest, TheFallbackConnectGetsTheFileNameAsRecorded)
{
    TextSource source(7);
    std::string state = "open\t5\tstart.bde\n";
    std::vector<std::string> names;
    ScriptWriter &w = Writer();
    for (int i = 0; i < 200; ++i)
    {
        std::string name = source.Next();
        names.push_back(name);
        state += "unopenable\t" + EncodeField(name) + "\n";
        w.OpenDocument("d", "CLSID_NexoPlugIn", mimic::FormatOpenParams(i, name.c_str(), "x", "$y").c_str());
        w.CloseDocument("d", 0, true);
    }
    w.Close();
    std::vector<TracedCall> calls = Play({"5", "start.bde", "1"}, state);
    std::vector<std::string> connected;
    for (const TracedCall &c : calls)
        if (c.name == "ConnectDocumentPlugIn" && c.args.size() == 4)
            connected.push_back(c.args[1]);
    EXPECT_EQ(connected, names);
}

} // namespace
