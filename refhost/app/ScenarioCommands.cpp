// The scenario commands: one row each in the table at the end, with the
// handler that carries the command out against the host session.
#include "refhost/app/Scenario.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "refhost/driver/Files.h"
#include "refhost/driver/WindowPicture.h"

namespace refhost {

RefDocument *ScenarioLine::Document(size_t index, std::string &error) const
{
    RefDocument *doc = index < words.size() ? session.FindDocument(words[index]) : session.ActiveDocument();
    if (!doc)
        error = index < words.size() ? "no open document " + words[index] : "no document is open";
    return doc;
}

bool ScenarioLine::Usage(std::string &error) const
{
    error = "usage: " + command.usage;
    return false;
}

namespace {

using Line = ScenarioLine;

bool Fail(std::string &error, const std::string &what)
{
    error = what;
    return false;
}

std::string Unescape(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n')
        {
            out += "\r\n";
            ++i;
        }
        else
            out += text[i];
    }
    return out;
}

// Where the host plays: the file's document, or the active one.
std::string InWhich(const Line &l, RefDocument *doc)
{
    return " in " + (doc ? l.session.Display(doc->File()) : std::string("no document"));
}

bool Echo(const Line &l, std::string &)
{
    l.session.Say(l.words[0] == "heading" ? "\n== " + l.rest : l.rest);
    return true;
}

bool Folder(const Line &l, std::string &error)
{
    return MakeFolders(l.session.FullPath(l.words[1])) || Fail(error, "cannot make the folder " + l.words[1]);
}

bool Write(const Line &l, std::string &error)
{
    return WriteWhole(l.session.FullPath(l.words[1]), Unescape(l.rest) + (l.rest.empty() ? "" : "\r\n")) ||
           Fail(error, "cannot write " + l.words[1]);
}

bool InstallOrDesigns(const Line &l, std::string &)
{
    l.words[0] == "install" ? l.session.SetInstallDir(l.words[1]) : l.session.SetDesignsDir(l.words[1]);
    return true;
}

bool WorkspaceOrDesign(const Line &l, std::string &)
{
    HostSession &s = l.session;
    const bool none = l.words[1] == "none";
    if (l.words[0] == "workspace")
        none ? s.CloseWorkspace() : s.OpenWorkspace(l.words[1]);
    else
        none ? s.CloseDesign() : s.OpenDesign(l.words[1]);
    return true;
}

bool SetValue(const Line &l, std::string &error)
{
    return l.session.SetSetting(l.words[1], l.words[2], error);
}

bool SetNumber(const Line &l, std::string &error)
{
    char *end = nullptr;
    const long long n = std::strtoll(l.words[2].c_str(), &end, 10);
    if (l.words[2].empty() || *end || n < INT_MIN || n > UINT_MAX)
        return Fail(error, "\"" + l.words[2] + "\" is not a number");
    return l.session.SetSetting(l.words[1], static_cast<DWORD>(n), error);
}

bool PlugIn(const Line &l, std::string &error)
{
    if (l.words[1] == "start")
        return l.session.StartPlugIn(error);
    if (l.words[1] == "close")
        return l.session.ClosePlugIn(error);
    return l.Usage(error);
}

bool Open(const Line &l, std::string &error)
{
    return l.session.OpenDocument(l.words[1], error) != nullptr;
}

bool CloseOrActivate(const Line &l, std::string &error)
{
    RefDocument *doc = l.Document(1, error);
    if (!doc)
        return false;
    l.words[0] == "close" ? (void)l.session.CloseDocument(doc) : l.session.Activate(doc);
    return true;
}

bool NotifyOpen(const Line &l, std::string &error)
{
    if (l.Count() == 3)
        return l.Usage(error);
    RefDocument *doc = l.Document(1, error);
    if (!doc)
        return false;
    const std::vector<std::string> &w = l.words;
    const long value = std::strtol(w[2].c_str(), nullptr, 0);
    if (l.Count() == 2)
        doc->FireOpen(value);
    else if (l.Count() == 4)
        doc->FireOpen(value, w[3].c_str(), w[4].c_str());
    else
        doc->FireOpen(value, w[3].c_str(), w[4].c_str(), w[5].c_str());
    return true;
}

bool Record(const Line &l, std::string &error)
{
    RefDocument *doc = l.Document(1, error);
    return doc && l.session.StartRecording(doc, error);
}

bool PauseOrStop(const Line &l, std::string &error)
{
    return l.words[0] == "pause" ? l.session.PauseRecording(error) : l.session.StopRecording(error);
}

bool Command(const Line &l, std::string &error)
{
    RefDocument *doc = l.Document(1, error);
    if (doc)
        l.session.RunCommand(doc, l.words[2], l.rest);
    return doc != nullptr;
}

bool Answer(const Line &l, std::string &error)
{
    WindowAnswer answer;
    if (!ParseWindowAnswer(l.words, answer, error))
        return false;
    answer.line = l.number;
    l.answers.push_back(answer);
    return true;
}

bool Choose(const Line &l, std::string &error)
{
    return l.session.ChooseAction(error);
}

bool Play(const Line &l, std::string &error)
{
    return l.session.PlayLast(std::vector<std::string>(l.words.begin() + 1, l.words.end()), error);
}

bool Hotkey(const Line &l, std::string &error)
{
    KeyChord chord;
    if (!ParseKeyChord(l.words[1], chord))
        return Fail(error, NotAHotkey(l.words[1]));
    RefDocument *doc = l.Document(2, error);
    l.session.Say("  " + l.words[1] + InWhich(l, doc));
    return doc && l.session.PlayHotkey(l.words[1], doc, error);
}

bool ShowMenu(const Line &l, std::string &)
{
    const std::vector<MenuItem> items = l.session.ActionsMenu();
    if (items.empty())
        l.session.Say("  the actions menu is empty");
    for (const MenuItem &item : items)
        l.session.Say("  " + item.text + "  (command " + std::to_string(item.nCmdId) + ")");
    return true;
}

bool PlayMenuItem(const Line &l, std::string &error)
{
    for (const MenuItem &item : l.session.ActionsMenu())
    {
        if (item.text != l.words[1])
            continue;
        RefDocument *doc = l.Document(2, error);
        l.session.Say("  menu " + item.text + InWhich(l, doc));
        return doc && l.session.PlayCommand(item.nCmdId, doc, error);
    }
    return Fail(error, "the actions menu has no item " + l.words[1]);
}

bool List(const Line &l, std::string &error)
{
    HostSession &s = l.session;
    if (!s.PlugInRunning())
        return Fail(error, "the plug-in is not running (start it first)");
    s.Say("  local folder:  " + s.Display(s.ActionFolder(false)));
    s.Say("  global folder: " + s.Display(s.ActionFolder(true)));
    const std::vector<HostAction> actions = s.Actions();
    if (actions.empty())
        s.Say("  no actions");
    for (const HostAction &a : actions)
    {
        char line[512];
        std::snprintf(line, sizeof(line), "  %u  %-20s repeat %-3ld hotkey %-12s %s", a.nCmdId, a.name.c_str(),
                      a.nRepeat, a.accel.empty() ? "-" : a.accel.c_str(), a.bMenu ? "in menu" : "");
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        s.Say(text);
    }
    return true;
}

bool PrintOrScript(const Line &l, std::string &error)
{
    HostSession &s = l.session;
    const std::string &name = l.words[1];
    RefDocument *doc = s.FindDocument(name);
    std::string path = doc ? doc->File() : s.FullPath(name);
    if (l.words[0] == "script")
    {
        path.clear();
        for (const HostAction &a : s.Actions())
            if (_stricmp(a.name.c_str(), name.c_str()) == 0)
                path = a.path;
        if (path.empty())
            return Fail(error, "no action " + name);
    }
    if (!IsFile(path))
        return Fail(error, "no file " + name);
    s.Say("  --- " + s.Display(path));
    for (std::string line : Lines(ReadWhole(path)))
    {
        for (size_t tab; (tab = line.find('\t')) != std::string::npos;)
            line.replace(tab, 1, "    ");
        s.Say("  | " + line);
    }
    return true;
}

bool ActionManager(const Line &l, std::string &error)
{
    return l.session.ShowActionManager(error);
}

bool Options(const Line &l, std::string &error)
{
    return l.session.ShowOptions(error);
}

bool Screenshot(const Line &l, std::string &error)
{
    HWND window = l.session.MainWindow();
    return (window && SaveWindowPicture(window, l.session.FullPath(l.words[1]))) ||
           Fail(error, "cannot save a picture of the host window to " + l.words[1]);
}

} // namespace

const std::vector<ScenarioCommand> &ScenarioCommands()
{
    const size_t any = ScenarioCommand::kAny;
    static const std::vector<ScenarioCommand> commands = {
        {"install DIR | designs DIR", "the host's installation and designs folders", 1, 1, InstallOrDesigns},
        {"workspace FILE|none | design DIR|none", "open (or close) a workspace or a design", 1, 1, WorkspaceOrDesign},
        {"set NAME TEXT", "a text value in the plug-in's registry key", 2, 2, SetValue},
        {"set-number NAME N", "a number value in the plug-in's registry key", 2, 2, SetNumber},
        {"folder DIR", "make a folder and its parents", 1, 1, Folder},
        {"write FILE TEXT",
         "write a text file of TEXT, the rest of the line; \\n in it breaks the line, and without it the file is empty",
         1, any, Write, 2},
        {"plugin start|close",
         "load, create and initialize the plug-in; close and release it, and check that its module could unload", 1,
         1, PlugIn},
        {"open FILE", "open a document (a text file, made when missing); the plug-in hears of it as from the host",
         1, 1, Open},
        {"close FILE | activate FILE", "close a document, or make it the active one", 1, 1, CloseOrActivate},
        {"notify-open FILE N [T1 T2 [T3]]", "the document's open notification with one, three or four values", 2, 5,
         NotifyOpen},
        {"record [FILE]", "start recording in the active document (or FILE)", 0, 1, Record},
        {"pause | stop", "pause or stop recording; stop then has the plug-in reload its list", 0, 0, PauseOrStop},
        {"command FILE NAME [PARAMS]", "run a command in a document; PARAMS is the rest of the line", 2, any,
         Command, 3},
        {"answer CAPTION [FIELD=VALUE]... [BUTTON]",
         "answer the next window with that caption: fill in the fields, then press the button (OK unless "
         "named). Fields: " + AnswerFieldsHelp(),
         0, any, Answer},
        {"choose", "choose the action to play in Player Settings", 0, 0, Choose},
        {"play FILE...", "play the last action over the files", 1, any, Play},
        {"hotkey KEYS [FILE]", "press a hotkey (Ctrl+1, Ctrl+Shift+K, Alt+F5) in the active document (or FILE)", 1,
         2, Hotkey},
        {"menu", "the actions menu as the host sees it", 0, 0, ShowMenu},
        {"menu-item NAME [FILE]", "play an item of the actions menu in the active document (or FILE)", 1, 2,
         PlayMenuItem},
        {"list", "the actions as the host sees them", 0, 0, List},
        {"print FILE | script NAME", "print a file, or the script of an action", 1, 1, PrintOrScript},
        {"manager", "the Action Manager", 0, 0, ActionManager},
        {"options", "the host's Options dialog with the plug-in's Preferences page", 0, 0, Options},
        {"echo TEXT", "print TEXT, the rest of the line", 0, any, Echo},
        {"heading TEXT", "print TEXT as a heading", 0, any, Echo},
        {"screenshot FILE", "save a picture of the host window (BMP)", 1, 1, Screenshot},
    };
    return commands;
}

} // namespace refhost
