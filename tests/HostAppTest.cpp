// The reference host application end to end: scenarios drive the built mimic.dll, and perl plays what was
// recorded: in order, the right number of times, in the right documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "refhost/app/HostSession.h"
#include "refhost/app/HostWindow.h"
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
        CloseAll();
        auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE *)()>(reinterpret_cast<void *>(
            ::GetProcAddress(::GetModuleHandleA("mimic.dll"), "DllCanUnloadNow")));
        EXPECT_TRUE(!canUnloadNow || canUnloadNow() == S_OK) << "the plug-in's module can unload";
    }

    void CloseAll()
    {
        std::string error;
        EXPECT_TRUE(!session.PlugInRunning() || session.ClosePlugIn(error)) << error;
        for (refhost::RefDocument *doc : session.Documents())
            session.CloseDocument(doc);
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
                    "hotkey Ctrl+Shift+F\nlist\nmenu\nmenu-item fan top.bde\nhotkey Ctrl+9\nplay top.bde\n"
                    "answer \"Player Settings\" action=fan repeat=2\nchoose\nplay top.bde\n"
                    "answer \"Action Manager\" Cancel\nmanager\n"
                    "answer Options OK\noptions\nplugin close\n"))
        << error;
    EXPECT_EQ(Count("  options applied"), 1);
    EXPECT_EQ(Count("  200000  fan                  repeat 3   hotkey Ctrl+Shift+F in menu"), 1);
    EXPECT_EQ(Count("  200001  single               repeat 1   hotkey Ctrl+7"), 1);
    EXPECT_EQ(Count("  fan  (command 200000)"), 1) << "only fan is in the menu";
    EXPECT_EQ(Count("  Ctrl+9 plays no action"), 1);
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

// A person at the main window: a command typed into the command line runs in
// the active document, and a hotkey pressed anywhere plays its action there.
TEST_F(HostAppTest, TheMainWindowRunsTypedCommandsAndHotkeys)
{
    ASSERT_TRUE(Run("open a.bde\n"
                    "answer \"Action Properties\" name=mark hotkey=Ctrl+4\n"
                    "record\ncommand a.bde Mark 1\nstop\n"))
        << error;
    refhost::HostWindow window(session);
    ASSERT_TRUE(window.Create());
    session.SetMainWindow(window.Handle());
    // The log comes first, then the command line.
    HWND commandLine =
        ::FindWindowExA(window.Handle(), ::FindWindowExA(window.Handle(), nullptr, "EDIT", nullptr), "EDIT", nullptr);
    ASSERT_NE(commandLine, nullptr);
    ::SetWindowTextA(commandLine, "Place R9, 'y'");
    ::PostMessageA(commandLine, WM_KEYDOWN, VK_RETURN, 1);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::PostMessageA(commandLine, WM_KEYDOWN, '4', 1 | (::MapVirtualKeyA('4', MAPVK_VK_TO_VSC) << 16));
    ::PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
    window.RunMessageLoop();
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    session.SetMainWindow(nullptr);

    // Recorded, typed, then played by the hotkey.
    EXPECT_EQ(ReadTextFile(temp / "a.bde"), "Mark 1\r\nPlace R9, 'y'\r\nMark 1\r\n");
}

// The scenario's open notifications reach the script in their three forms.
TEST_F(HostAppTest, OpenNotificationsBecomeTheScriptsOpenLines)
{
    const std::string b = temp / "b.bde";
    ASSERT_TRUE(Run("set-number \"Record Temporary Task\" 2\nopen a.bde\nrecord\nopen b.bde\n"
                    "notify-open b.bde -1\nnotify-open b.bde 7 \"" + b + "\" sch\n"
                    "notify-open b.bde 8 \"" + b + "\" sch \"x y\"\nstop\nscript temporary_action\n"))
        << error;
    std::vector<std::string> opens;
    for (const std::string &line : output)
        if (line.find("= OpenDocumentPlugIn(CLSID_NexoPlugIn, ") != std::string::npos && line.find("$fileName") == std::string::npos)
            opens.push_back(line.substr(line.find("CLSID_NexoPlugIn, ") + 18));
    const std::vector<std::string> expected = {"0, '" + b + "', '', \"\", IID_IMimicPlayBack);",
                                               "-1, \"\", \"\", \"\", IID_IMimicPlayBack);",
                                               "7, '" + b + "', 'sch', \"\", IID_IMimicPlayBack);",
                                               "8, '" + b + "', 'sch', \"x y\", IID_IMimicPlayBack);"};
    EXPECT_EQ(opens, expected);
}

// Every mistake in a scenario names its line, and nothing after it runs.
TEST_F(HostAppTest, BadScenariosSayWhatWentWrongAndWhere)
{
    // Each error is expected after "s.txt:<line>: ", the line counted after the six set-up lines.
    const std::tuple<const char *, const char *, int> cases[] = {
        {"frobnicate\n", "unknown command \"frobnicate\"", 1},
        {"echo fine\nopen \"a.bde\n", "a double quote is not closed", 2},
        {"open\n", "usage: open FILE", 1},
        {"command nowhere.bde Place\n", "no open document nowhere.bde", 1},
        {"record\n", "no document is open", 1},
        {"plugin start\n", "the plug-in is already running", 1},
        {"set-number \"Defaul Repeat Count\" many\n", "\"many\" is not a number", 1},
        {"answer \"Action Properties\" colour=red\n", "\"Action Properties\" has no field colour", 1},
        {"answer \"Action Properties\" menu=maybe\n", "menu takes yes or no, not \"maybe\"", 1},
        {"answer \"Action Properties\" hotkey=Ctrl+Enter\n", "\"Ctrl+Enter\" is not a hotkey", 1},
        {"answer Warning No Yes\n", "the button (No) comes last in an answer", 1},
        {"hotkey Ctrl+\n", "\"Ctrl+\" is not a hotkey", 1},
        {"open a.bde\nanswer Record Yes\nlist\n", "expected window \"Record\" never appeared", 3},
        {"open a.bde\nanswer \"Action Properties\" name=x hotkey=Ctrl+P\nrecord\n",
         "the hotkey Ctrl+P cannot be assigned: Currently assigned to: Print Preview", 3},
        {"open a.bde\nanswer \"Player Settings\" action=ghost\nchoose\n", "Player Settings lists no action \"ghost\"", 3},
        {"menu-item ghost\n", "the actions menu has no item ghost", 1},
        {"plugin close\nlist\n", "the plug-in is not running (start it first)", 2},
    };
    for (const auto &[scenario, message, line] : cases)
    {
        SCOPED_TRACE(scenario);
        output.clear();
        EXPECT_FALSE(Run(std::string(scenario) + "echo not reached\n"));
        const std::string where = "s.txt:" + std::to_string(6 + line) + ": ";
        EXPECT_EQ(error.compare(0, where.size(), where), 0) << error;
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(Count("not reached"), 0);
        CloseAll();
    }
}

} // namespace
