// Scenarios for the reference host: one command a line, run in order against
// a HostSession, for the demo and the end-to-end tests. The first error stops
// the run and is reported with its line number. The commands are one table,
// from which "mimichost --help" and the README's list of them are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/app/HostSession.h"
#include "refhost/driver/DialogAnswers.h"

namespace refhost {

// The words of a scenario line: blanks separate them, double quotes keep
// blanks inside one word. False, with the reason, for an unclosed quote.
bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error);
// The text's lines without their line ends; a last line without one counts.
std::vector<std::string> Lines(const std::string &text);

struct ScenarioCommand;

// One line of a scenario as its command sees it.
struct ScenarioLine
{
    const ScenarioCommand &command;
    HostSession &session;
    const std::vector<std::string> &words; // the command's name first
    const std::string &rest;               // the line after the command's fixed words, as it stands
    std::vector<WindowAnswer> &answers;    // for the windows of the next command
    int number;                            // the line's, counted from 1

    size_t Count() const { return words.size() - 1; }
    // The document the word at index names, or the active one when the line has no such word.
    RefDocument *Document(size_t index, std::string &error) const;
    // False, with the command's usage as the error.
    bool Usage(std::string &error) const;
};

struct ScenarioCommand
{
    static constexpr size_t kAny = SIZE_MAX;

    // "install DIR | designs DIR": each name the command goes by with its
    // arguments, as the help and a wrong number of arguments show them.
    std::string usage;
    std::string what;
    size_t least, most; // how many words may follow the name
    bool (*run)(const ScenarioLine &line, std::string &error);
    size_t fixedWords = 1; // the words before the rest of the line
};

// Every command, in the order the help lists them.
const std::vector<ScenarioCommand> &ScenarioCommands();
// The command that goes by the name; null for none.
const ScenarioCommand *FindScenarioCommand(const std::string &name);
// The commands as "mimichost --help" lists them, and as a markdown table.
std::string ScenarioHelp();
std::string ScenarioTable();

class ScenarioRunner
{
public:
    explicit ScenarioRunner(HostSession &session) : m_session(session) {}

    // Runs the text's lines; false at the first error, which Error() then
    // tells as "<name>:<line>: <what went wrong>".
    bool Run(const std::string &text, const std::string &name);
    // name: how errors name the file; its path unless given.
    bool RunFile(const std::string &path, const std::string &name = std::string());
    const std::string &Error() const { return m_error; }

private:
    bool RunLine(const std::string &line, std::string &error);

    HostSession &m_session;
    std::vector<WindowAnswer> m_answers; // for the windows of the next command
    std::string m_error;
    int m_line = 0;
};

} // namespace refhost
