#include "refhost/app/Scenario.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "refhost/driver/Files.h"
#include "refhost/driver/ModalDriver.h"
#include "refhost/driver/WindowPicture.h"

namespace refhost {

const char *const ScenarioRunner::kHelp =
    "Scenario commands, one a line; words with blanks go in double quotes; # starts a comment.\n"
    "  echo TEXT                      print TEXT\n"
    "  heading TEXT                   print TEXT as a heading\n"
    "  folder DIR                     make a folder and its parents\n"
    "  write FILE TEXT                write a text file (\\n in TEXT breaks the line)\n"
    "  install DIR | designs DIR      the host's installation and designs folders\n"
    "  workspace FILE|none            open a workspace (or close it)\n"
    "  design DIR|none                open a design (or close it)\n"
    "  set NAME TEXT                  a text value in the plug-in's registry key\n"
    "  set-number NAME N              a number value in the plug-in's registry key\n"
    "  plugin start|close             load and initialize the plug-in / close and release it\n"
    "  open FILE | close FILE         open or close a document (a text file)\n"
    "  activate FILE                  make a document the active one\n"
    "  notify-open FILE N [T1 T2 [T3]] the document's open notification (1, 3 or 4 values)\n"
    "  record [FILE] | pause | stop   start (in the active document), pause or stop recording\n"
    "  command FILE NAME [PARAMS]     run a command in a document; PARAMS is the rest of the line\n"
    "  answer CAPTION [FIELD=VALUE].. [BUTTON]\n"
    "                                 answer a window the next command shows; BUTTON defaults to OK.\n"
    "                                 Action Properties: name= repeat= global=yes|no menu=yes|no hotkey=\n"
    "                                 Player Settings: action= repeat=     Record: dont-show=yes|no\n"
    "  choose                         choose the action to play in Player Settings\n"
    "  play FILE...                   play the last action over the files\n"
    "  hotkey KEYS [FILE]             press a hotkey (e.g. Ctrl+1) in the active document or FILE\n"
    "  menu                           show the actions menu\n"
    "  menu-item NAME [FILE]          choose an item of the actions menu\n"
    "  list                           list the actions as the host sees them\n"
    "  print FILE | script NAME       print a file, or the script of an action\n"
    "  manager | options              the Action Manager / the host's options with the Preferences page\n"
    "  screenshot FILE                save a picture of the host window (BMP)\n";

namespace {

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

} // namespace

namespace {

// The text's lines without their line ends; a last line without one counts.
std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();)
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r')
            lines.back().pop_back();
        start = end + 1;
    }
    return lines;
}

// Where the word that starts at i ends: at a blank outside double quotes.
size_t WordEnd(const std::string &line, size_t i)
{
    bool quoted = false;
    for (; i < line.size(); ++i)
    {
        if (line[i] == '"')
            quoted = !quoted;
        else if (!quoted && (line[i] == ' ' || line[i] == '\t'))
            break;
    }
    return i;
}

std::string RestAfterWords(const std::string &line, int words)
{
    size_t p = line.find_first_not_of(" \t");
    for (int i = 0; i < words && p != std::string::npos; ++i)
        p = line.find_first_not_of(" \t", WordEnd(line, p));
    return p == std::string::npos ? std::string() : line.substr(p);
}

} // namespace

bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error)
{
    words.clear();
    size_t i = 0;
    while (i < line.size())
    {
        if (line[i] == ' ' || line[i] == '\t')
        {
            ++i;
            continue;
        }
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
        {
            if (line[i] == '"')
            {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos)
                {
                    error = "a double quote is not closed";
                    return false;
                }
                word += line.substr(i + 1, close - i - 1);
                i = close + 1;
            }
            else
                word += line[i++];
        }
        words.push_back(word);
    }
    return true;
}

bool ScenarioRunner::RunFile(const std::string &path, const std::string &name)
{
    const std::string shown = name.empty() ? path : name;
    if (!IsFile(path))
    {
        m_error = shown + ": cannot read the scenario";
        return false;
    }
    return Run(ReadWhole(path), shown);
}

bool ScenarioRunner::Run(const std::string &text, const std::string &name)
{
    m_answers.clear();
    m_line = 0;
    for (const std::string &line : Lines(text))
    {
        ++m_line;
        std::string error;
        if (!RunLine(line, error))
        {
            m_error = name + ":" + std::to_string(m_line) + ": " + error;
            return false;
        }
    }
    if (!m_answers.empty())
    {
        m_error = name + ":" + std::to_string(m_answers.front().line) + ": the answer for \"" +
                  m_answers.front().caption + "\" is not followed by a command";
        return false;
    }
    return true;
}

bool ScenarioRunner::RunLine(const std::string &line, std::string &error)
{
    std::vector<std::string> words;
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
        return true;
    // "command", "echo", "heading" and "write" take the rest of the line as it stands.
    const std::string name = line.substr(first, line.find_first_of(" \t", first) - first);
    const std::string rest = RestAfterWords(line, name == "command" ? 3 : name == "write" ? 2 : 1);
    if (!SplitWords(line, words, error))
        return false;
    if (words[0] == "answer")
        return ParseAnswer(words, error);

    // Every window this command shows must be one the scenario answered.
    std::vector<std::string> failures;
    auto previous = SetModalFailureHandler([&failures](const std::string &what) { failures.push_back(what); });
    bool ok;
    {
        ModalDriver driver;
        for (const WindowAnswer &answer : m_answers)
            driver.Expect(answer.caption, [this, answer, &failures](ModalWindow &w) {
                AnswerWindow(answer, w, failures, [this](const std::string &line) { m_session.Say(line); });
            });
        m_answers.clear();
        ok = Execute(words, rest, error);
    }
    SetModalFailureHandler(previous);
    if (ok && !failures.empty())
    {
        error = failures.front();
        for (size_t i = 1; i < failures.size(); ++i)
            error += "; " + failures[i];
        return false;
    }
    return ok;
}

bool ScenarioRunner::ParseAnswer(const std::vector<std::string> &words, std::string &error)
{
    WindowAnswer answer;
    if (!ParseWindowAnswer(words, answer, error))
        return false;
    answer.line = m_line;
    m_answers.push_back(answer);
    return true;
}

RefDocument *ScenarioRunner::Document(const std::vector<std::string> &words, size_t index, std::string &error)
{
    RefDocument *doc = index < words.size() ? m_session.FindDocument(words[index]) : m_session.ActiveDocument();
    if (!doc)
        error = index < words.size() ? "no open document " + words[index] : "no document is open";
    return doc;
}

bool ScenarioRunner::Execute(const std::vector<std::string> &words, const std::string &rest, std::string &error)
{
    const std::string &command = words[0];
    const size_t argc = words.size() - 1;
    auto needs = [&](size_t least, size_t most, const char *usage) {
        if (argc >= least && argc <= most)
            return true;
        error = std::string("usage: ") + usage;
        return false;
    };
    HostSession &s = m_session;

    if (command == "echo")
        s.Say(rest);
    else if (command == "heading")
        s.Say("\n== " + rest);
    else if (command == "folder")
    {
        if (!needs(1, 1, "folder DIR"))
            return false;
        if (!MakeFolders(s.FullPath(words[1])))
        {
            error = "cannot make the folder " + words[1];
            return false;
        }
    }
    else if (command == "write")
    {
        if (!needs(1, SIZE_MAX, "write FILE TEXT"))
            return false;
        if (!WriteWhole(s.FullPath(words[1]), Unescape(rest) + (rest.empty() ? "" : "\r\n")))
        {
            error = "cannot write " + words[1];
            return false;
        }
    }
    else if (command == "install" || command == "designs")
    {
        if (!needs(1, 1, "install DIR | designs DIR"))
            return false;
        command == "install" ? s.SetInstallDir(words[1]) : s.SetDesignsDir(words[1]);
    }
    else if (command == "workspace" || command == "design")
    {
        if (!needs(1, 1, "workspace FILE|none | design DIR|none"))
            return false;
        const bool none = words[1] == "none";
        if (command == "workspace")
            none ? s.CloseWorkspace() : s.OpenWorkspace(words[1]);
        else
            none ? s.CloseDesign() : s.OpenDesign(words[1]);
    }
    else if (command == "set")
    {
        if (!needs(2, 2, "set NAME TEXT"))
            return false;
        return s.SetSetting(words[1], words[2], error);
    }
    else if (command == "set-number")
    {
        if (!needs(2, 2, "set-number NAME N"))
            return false;
        char *end = nullptr;
        const long long n = std::strtoll(words[2].c_str(), &end, 10);
        if (words[2].empty() || *end || n < INT_MIN || n > UINT_MAX)
        {
            error = "\"" + words[2] + "\" is not a number";
            return false;
        }
        return s.SetSetting(words[1], static_cast<DWORD>(n), error);
    }
    else if (command == "plugin")
    {
        if (!needs(1, 1, "plugin start|close"))
            return false;
        if (words[1] == "start")
            return s.StartPlugIn(error);
        if (words[1] == "close")
            return s.ClosePlugIn(error);
        error = "usage: plugin start|close";
        return false;
    }
    else if (command == "open")
    {
        if (!needs(1, 1, "open FILE"))
            return false;
        return s.OpenDocument(words[1], error) != nullptr;
    }
    else if (command == "close" || command == "activate")
    {
        if (!needs(1, 1, "close FILE | activate FILE"))
            return false;
        RefDocument *doc = Document(words, 1, error);
        if (!doc)
            return false;
        command == "close" ? (void)s.CloseDocument(doc) : s.Activate(doc);
    }
    else if (command == "notify-open")
    {
        if (!needs(2, 5, "notify-open FILE N [T1 T2 [T3]]") || argc == 3)
        {
            error = "usage: notify-open FILE N [T1 T2 [T3]]";
            return false;
        }
        RefDocument *doc = Document(words, 1, error);
        if (!doc)
            return false;
        const long value = std::strtol(words[2].c_str(), nullptr, 0);
        if (argc == 2)
            doc->FireOpen(value);
        else if (argc == 4)
            doc->FireOpen(value, words[3].c_str(), words[4].c_str());
        else
            doc->FireOpen(value, words[3].c_str(), words[4].c_str(), words[5].c_str());
    }
    else if (command == "record")
    {
        if (!needs(0, 1, "record [FILE]"))
            return false;
        RefDocument *doc = Document(words, 1, error);
        return doc && s.StartRecording(doc, error);
    }
    else if (command == "pause" || command == "stop")
    {
        if (!needs(0, 0, "pause | stop"))
            return false;
        return command == "pause" ? s.PauseRecording(error) : s.StopRecording(error);
    }
    else if (command == "command")
    {
        if (!needs(2, SIZE_MAX, "command FILE NAME [PARAMS]"))
            return false;
        RefDocument *doc = Document(words, 1, error);
        if (!doc)
            return false;
        s.RunCommand(doc, words[2], rest);
    }
    else if (command == "choose")
    {
        if (!needs(0, 0, "choose"))
            return false;
        return s.ChooseAction(error);
    }
    else if (command == "play")
    {
        if (!needs(1, SIZE_MAX, "play FILE..."))
            return false;
        return s.PlayLast(std::vector<std::string>(words.begin() + 1, words.end()), error);
    }
    else if (command == "hotkey")
    {
        KeyChord chord;
        if (!needs(1, 2, "hotkey KEYS [FILE]"))
            return false;
        if (!ParseKeyChord(words[1], chord))
        {
            error = NotAHotkey(words[1]);
            return false;
        }
        RefDocument *doc = Document(words, 2, error);
        s.Say("  " + words[1] + " in " + (doc ? s.Display(doc->File()) : std::string("no document")));
        return doc && s.PlayHotkey(words[1], doc, error);
    }
    else if (command == "menu")
    {
        if (!needs(0, 0, "menu"))
            return false;
        std::vector<MenuItem> items = s.ActionsMenu();
        if (items.empty())
            s.Say("  the actions menu is empty");
        for (const MenuItem &item : items)
            s.Say("  " + item.text + "  (command " + std::to_string(item.nCmdId) + ")");
    }
    else if (command == "menu-item")
    {
        if (!needs(1, 2, "menu-item NAME [FILE]"))
            return false;
        for (const MenuItem &item : s.ActionsMenu())
        {
            if (item.text != words[1])
                continue;
            RefDocument *doc = Document(words, 2, error);
            s.Say("  menu " + item.text + " in " + (doc ? s.Display(doc->File()) : std::string("no document")));
            return doc && s.PlayCommand(item.nCmdId, doc, error);
        }
        error = "the actions menu has no item " + words[1];
        return false;
    }
    else if (command == "list")
    {
        if (!needs(0, 0, "list"))
            return false;
        if (!s.PlugInRunning())
        {
            error = "the plug-in is not running (start it first)";
            return false;
        }
        s.Say("  local folder:  " + s.Display(s.ActionFolder(false)));
        s.Say("  global folder: " + s.Display(s.ActionFolder(true)));
        std::vector<HostAction> actions = s.Actions();
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
    }
    else if (command == "print" || command == "script")
    {
        if (!needs(1, 1, "print FILE | script NAME"))
            return false;
        RefDocument *doc = s.FindDocument(words[1]);
        std::string path = doc ? doc->File() : s.FullPath(words[1]);
        if (command == "script")
        {
            path.clear();
            for (const HostAction &a : s.Actions())
                if (_stricmp(a.name.c_str(), words[1].c_str()) == 0)
                    path = a.path;
            if (path.empty())
            {
                error = "no action " + words[1];
                return false;
            }
        }
        if (!IsFile(path))
        {
            error = "no file " + words[1];
            return false;
        }
        s.Say("  --- " + s.Display(path));
        for (std::string line : Lines(ReadWhole(path)))
        {
            for (size_t tab; (tab = line.find('\t')) != std::string::npos;)
                line.replace(tab, 1, "    ");
            s.Say("  | " + line);
        }
    }
    else if (command == "manager")
    {
        if (!needs(0, 0, "manager"))
            return false;
        return s.ShowActionManager(error);
    }
    else if (command == "options")
    {
        if (!needs(0, 0, "options"))
            return false;
        return s.ShowOptions(error);
    }
    else if (command == "screenshot")
    {
        if (!needs(1, 1, "screenshot FILE"))
            return false;
        if (!s.MainWindow() || !SaveWindowPicture(s.MainWindow(), s.FullPath(words[1])))
        {
            error = "cannot save a picture of the host window to " + words[1];
            return false;
        }
    }
    else
    {
        error = "unknown command \"" + command + "\" (mimichost --help lists them)";
        return false;
    }
    return true;
}

} // namespace refhost
