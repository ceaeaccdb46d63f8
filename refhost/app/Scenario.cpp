#include "refhost/app/Scenario.h"

#include "refhost/driver/Files.h"
#include "refhost/driver/ModalDriver.h"

namespace refhost {

namespace {

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

std::string RestAfterWords(const std::string &line, size_t words)
{
    size_t p = line.find_first_not_of(" \t");
    for (size_t i = 0; i < words && p != std::string::npos; ++i)
        p = line.find_first_not_of(" \t", WordEnd(line, p));
    return p == std::string::npos ? std::string() : line.substr(p);
}

// The ways a command can be written: "install DIR | designs DIR" is two.
std::vector<std::string> Forms(const std::string &usage)
{
    std::vector<std::string> forms;
    for (size_t start = 0;;)
    {
        const size_t bar = usage.find(" | ", start);
        forms.push_back(usage.substr(start, bar - start));
        if (bar == std::string::npos)
            return forms;
        start = bar + 3;
    }
}

// A table cell keeps its bars as text.
std::string Cell(const std::string &text)
{
    std::string cell;
    for (char c : text)
        cell += c == '|' ? std::string("\\|") : std::string(1, c);
    return cell;
}

} // namespace

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

const ScenarioCommand *FindScenarioCommand(const std::string &name)
{
    for (const ScenarioCommand &command : ScenarioCommands())
        for (const std::string &form : Forms(command.usage))
            if (form.substr(0, form.find(' ')) == name)
                return &command;
    return nullptr;
}

std::string ScenarioHelp()
{
    const size_t column = 33, width = 110;
    std::string help = "Scenario commands, one a line; words with blanks go in double quotes; # starts a comment.\n";
    for (const ScenarioCommand &command : ScenarioCommands())
    {
        std::string line = "  " + command.usage;
        line += line.size() < column ? std::string(column - line.size(), ' ') : "\n" + std::string(column, ' ');
        size_t used = column;
        for (size_t start = 0; start < command.what.size();)
        {
            size_t end = command.what.find(' ', start);
            if (end == std::string::npos)
                end = command.what.size();
            const std::string word = command.what.substr(start, end - start);
            if (used > column && used + 1 + word.size() > width)
                line += "\n" + std::string(column, ' '), used = column;
            else if (used > column)
                line += ' ', ++used;
            line += word;
            used += word.size();
            start = end + 1;
        }
        help += line + "\n";
    }
    return help;
}

std::string ScenarioTable()
{
    std::string table = "| command | what it does |\n|---|---|\n";
    for (const ScenarioCommand &command : ScenarioCommands())
    {
        std::string forms;
        for (const std::string &form : Forms(command.usage))
            forms += (forms.empty() ? "`" : ", `") + Cell(form) + "`";
        table += "| " + forms + " | " + Cell(command.what) + " |\n";
    }
    return table;
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
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
        return true;
    // Some commands take the rest of the line as it stands, quotes and all.
    const ScenarioCommand *named = FindScenarioCommand(line.substr(first, line.find_first_of(" \t", first) - first));
    const std::string rest = RestAfterWords(line, named ? named->fixedWords : 1);
    std::vector<std::string> words;
    if (!SplitWords(line, words, error))
        return false;
    const ScenarioCommand *command = FindScenarioCommand(words[0]);
    if (!command)
    {
        error = "unknown command \"" + words[0] + "\" (mimichost --help lists them)";
        return false;
    }
    const ScenarioLine call{*command, m_session, words, rest, m_answers, m_line};
    if (call.Count() < command->least || call.Count() > command->most)
        return call.Usage(error);
    // An answer waits for the command after it.
    if (words[0] == "answer")
        return command->run(call, error);

    // Every window this command shows must be one the scenario answered.
    std::vector<std::string> failures;
    auto previous = SetModalFailureHandler([&failures](const std::string &what) { failures.push_back(what); });
    bool ok;
    {
        ModalDriver driver;
        for (const WindowAnswer &answer : m_answers)
            driver.Expect(answer.caption, [this, answer, &failures](ModalWindow &w) {
                AnswerWindow(answer, w, failures, [this](const std::string &said) { m_session.Say(said); });
            });
        m_answers.clear();
        ok = command->run(call, error);
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

} // namespace refhost
