// Generated scripts run for real: perl with the stand-in host modules, whose
// trace shows what a playback did.
#include <gtest/gtest.h>
#include <random>
#include <set>

#include "library/ActionCatalogue.h"
#include "script/PerlQuote.h"
#include "script/ScriptWriter.h"
#include "tests/support/Perl.h"
#include "tests/support/TestFolders.h"

using mimic::ScriptWriter;
using namespace testsupport;

namespace {

// Random texts of every byte value, heavy in what Perl treats specially (CR LF pairs too, which perl reads as LF
// inside a literal). Every other document cannot be opened again but is open already: the fallback connect must
// find it by its file name exactly as recorded.
TEST(ScriptReplayTest, AnyTextArrivesExactlyAsRecorded)
{
    TempFolder temp;
    const std::string script = temp / "action.pl";
    mimic::ActionCatalogue catalogue; // no folders: no section is saved
    ScriptWriter w{catalogue};
    std::mt19937 rng(20261206);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto next = [&] {
        static const char *const specials[] = {"'", "\\", "\"", "$", "@", "\\\\srv\\share\\", "$x", "@{[1]}", "\\'",
                                               "''", "\\n", "${\\ 1}", "#", "\r\n", "\r", "\n",
                                               "\\\r\n", "\r\r\n", "'\r\n"};
        std::string text;
        for (int i = pick(0, 6); i > 0; --i)
        {
            if (pick(0, 2) == 0)
                text += specials[pick(0, static_cast<int>(std::size(specials)) - 1)];
            else
                for (int n = pick(1, 8); n > 0; --n)
                    text += static_cast<char>(pick(1, 255));
        }
        return pick(0, 4) == 0 ? text + '\\' : text; // now and then a trailing backslash
    };
    ASSERT_EQ(w.Open(script.c_str(), 0), S_OK);
    std::vector<std::string> expected; // the opens, fallback connects and commands, in order
    std::set<std::string> names{"start.bde"}; // one document a name, or the fallback could find another
    std::string state = "open\t5\tstart.bde\nfile\t*\n";
    int cookie = 1000, current = 5;
    for (int i = 0; i < 3000; ++i)
    {
        if (i % 25 == 0)
        {
            std::string t1, t2 = next(), t3 = next();
            while (!names.insert(t1 = next()).second)
                ;
            long value = pick(-5, 100000);
            bool four = pick(0, 1) == 1;
            std::string params = four ? mimic::FormatOpenParams(value, t1.c_str(), t2.c_str(), t3.c_str())
                                      : mimic::FormatOpenParams(value, t1.c_str(), t2.c_str());
            if (i > 0)
                w.CloseDocument("d", 0, true);
            w.OpenDocument("d", "CLSID_NexoPlugIn", params.c_str());
            expected.push_back(std::to_string(value) + "|" + t1 + "|" + t2 + "|" + (four ? t3 : ""));
            current = i % 50 == 25 ? 90000 + i : cookie++;
            if (i % 50 == 25)
            {
                state += "open\t" + std::to_string(current) + "\t" + EncodeField(t1) + "\nunopenable\t" +
                         EncodeField(t1) + "\n";
                expected.push_back("connect " + t1);
            }
        }
        std::string command = next(), params = next();
        w.WriteCommand("d", command.c_str(), params.c_str());
        expected.push_back("\\D" + std::to_string(current) + " " + command + " " + params);
    }
    w.Close();
    EXPECT_EQ(RunPerl({"-c", PerlPath(script)}).exitCode, 0);
    PerlRun run = RunPerl({PerlPath(script), "5", "start.bde", "1"}, state);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::vector<std::string> played;
    for (const TracedCall &c : ParseTrace(run.trace))
        if (c.name == "OpenDocumentPlugIn" && c.args.size() == 6)
            played.push_back(c.args[1] + "|" + c.args[2] + "|" + c.args[3] + "|" + c.args[4]);
        else if (c.name == "ConnectDocumentPlugIn" && c.args.size() == 4)
            played.push_back("connect " + c.args[1]);
        else if (c.name == "ExecuteCommand" && c.args.size() == 3)
            played.push_back(c.args[0] + " " + c.args[1] + " " + c.args[2]);
    EXPECT_EQ(played, expected);
}

} // namespace
