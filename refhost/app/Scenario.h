// Scenarios for the reference host: one command a line, run in order against
// a HostSession, for the demo and the end-to-end tests. The first error stops
// the run and is reported with its line number. The commands are listed in
// the README and by "mimichost --help".
#pragma once

#include <string>
#include <vector>

#include "refhost/app/HostSession.h"
#include "refhost/driver/DialogAnswers.h"

namespace refhost {

// The words of a scenario line: blanks separate them, double quotes keep
// blanks inside one word. False, with the reason, for an unclosed quote.
bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error);

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

    // One command's usage line per entry, for the help text.
    static const char *const kHelp;

private:
    bool RunLine(const std::string &line, std::string &error);
    bool Execute(const std::vector<std::string> &words, const std::string &rest, std::string &error);
    bool ParseAnswer(const std::vector<std::string> &words, std::string &error);
    RefDocument *Document(const std::vector<std::string> &words, size_t index, std::string &error);

    HostSession &m_session;
    std::vector<WindowAnswer> m_answers; // for the windows of the next command
    std::string m_error;
    int m_line = 0;
};

} // namespace refhost
