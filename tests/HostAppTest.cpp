// The reference host application end to end: scenarios drive the built mimic.dll, and perl plays what was
// recorded: in order, the right number of times, in the right documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "refhost/app/HostSession.h"
#include "refhost/driver/PerlRunner.h"
#include "refhost/app/Scenario.h"
#include "tests/support/PlugInDll.h"
#include "tests/support/TestFolders.h"

using namespace testsupport;

namespace {

class HostAppTest : public ::testing::Test
{
protected:
    HostAppTest()
    {
        session.SetPlugInPath(WindowsPathOf(MIMIC_DLL_PATH));
        session.SetPerlLib(MIMIC_PERL_LIB);
    }
    ~HostAppTest() override
    {
        std::string closeError;
        EXPECT_TRUE(!session.PlugInRunning() || session.ClosePlugIn(closeError)) << closeError;
        for (refhost::RefDocument *doc : session.Documents())
            session.CloseDocument(doc);
        auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(reinterpret_cast<void *>(
            ::GetProcAddress(::GetModuleHandleA("mimic.dll"), "DllCanUnloadNow")));
        EXPECT_TRUE(!canUnloadNow || canUnloadNow() == S_OK) << "the plug-in's module can unload";
    }

    // Runs the scenario after the common set-up; false with the error kept.
    bool Run(const std::string &scenario)
    {
        const std::string setUp = "folder inst\\Script\\Actions\nfolder work\\Actions\nwrite work\\w.wsp\n"
                                  "install inst\nworkspace work\\w.wsp\nplugin start\n";
        refhost::ScenarioRunner runner(session);
        const bool ok = runner.Run(setUp + scenario, "s.txt");
        error = runner.Error();
        return ok;
    }

    // The replayed commands, "file: command", in the order the scripts ran them.
    std::vector<std::string> Replayed() const
    {
        std::vector<std::string> lines;
        for (const std::string &line : output)
            if (line.compare(0, 4, "    ") == 0 && line.find(": ") != std::string::npos)
                lines.push_back(line.substr(4));
        return lines;
    }
    auto Count(const std::string &line) const { return std::count(output.begin(), output.end(), line); }

    TempFolder temp;
    std::vector<std::string> output;
    refhost::HostSession session{[this](const std::string &line) { output.push_back(line); }, temp.Path()};
    std::string error;
};

TEST_F(HostAppTest, ATemporaryActionReplaysInTheDocumentsItWasRecordedIn)
{
    ASSERT_TRUE(Run("set-number \"Record Temporary Task\" 2\nopen a.bde\n"
                    "record\ncommand a.bde Place R1, 'x'\n"
                    "folder sub\nopen sub\\b.bde\ncommand b.bde Wire a\\b $x @y\nclose b.bde\n"
                    "pause\ncommand a.bde Ignored while paused\n"
                    "record\ncommand a.bde Zoom\nstop\n"
                    "write c.bde\nclose a.bde\nplay a.bde c.bde\nplugin close\n"))
        << error;
    const std::string wire = "sub\\b.bde: Wire a\\b $x @y";
    EXPECT_EQ(Replayed(), (std::vector<std::string>{"a.bde: Place R1, 'x'", wire, "a.bde: Zoom", "c.bde: Place R1, 'x'",
                                                    wire, "c.bde: Zoom"}));
}

TEST_F(HostAppTest, ANamedActionPlaysByHotkeyMenuAndPlayerSettingsChoice)
{
    ASSERT_TRUE(Run("open top.bde\n"
                    "answer \"Action Properties\" name=fan repeat=3 menu=yes hotkey=Ctrl+Shift+F\n"
                    "record top.bde\ncommand top.bde Fan 1\nstop\n"
                    "answer \"Action Properties\" name=single hotkey=Ctrl+7\n"
                    "record\ncommand top.bde One\nstop\n"
                    "hotkey Ctrl+Shift+F\nlist\nmenu\nmenu-item fan top.bde\nplay top.bde\n"
                    "answer \"Player Settings\" action=fan repeat=2\nchoose\nplay top.bde\n"
                    "answer \"Action Manager\" Cancel\nmanager\n"
                    "answer Options OK\noptions\nplugin close\n"))
        << error;
    EXPECT_EQ(Count("  200000  fan                  repeat 3   hotkey Ctrl+Shift+F in menu"), 1);
    EXPECT_EQ(Count("  200001  single               repeat 1   hotkey Ctrl+7"), 1);
    EXPECT_EQ(Count("  fan  (command 200000)"), 1) << "only fan is in the menu";
    EXPECT_EQ(Count("  chosen: work\\Actions\\fan.pl, repeat 2"), 1);
    // Hotkey and menu item: fan three times each; the last recording once; the choice twice.
    const std::string fan = "top.bde: Fan 1";
    EXPECT_EQ(Replayed(), (std::vector<std::string>{fan, fan, fan, fan, fan, fan, "top.bde: One", fan, fan}));
}

// Declining to overwrite an action keeps its script and its hotkey: what
// plays, as the last action and by the hotkey, is the first recording.
TEST_F(HostAppTest, TheReadmeExampleKeepsTheFirstRecording)
{
    ASSERT_TRUE(Run("open work\\top.bde\n"
                    "answer \"Action Properties\" name=place_and_wire repeat=2 menu=yes hotkey=Ctrl+1\n"
                    "record top.bde\ncommand top.bde Place R1, 10, 20\nstop\n"
                    "answer Warning No\nanswer \"Action Properties\" name=place_and_wire\n"
                    "record top.bde\ncommand top.bde Lost\n"
                    "write work\\left.bde\nplay work\\left.bde\nhotkey Ctrl+1 top.bde\n"))
        << error;
    EXPECT_EQ(Count("  [Warning] Specified file exists. Do you want to overwrite it? -> No"), 1);
    const std::string left = "work\\left.bde: Place R1, 10, 20", top = "work\\top.bde: Place R1, 10, 20";
    EXPECT_EQ(Replayed(), (std::vector<std::string>{left, left, top, top}));
}

} // namespace
