// The reference host's command interpreter, as far as action scripts need
// it: "runscript -perl {script} -1 {file} count" runs the script with perl
// and the stand-in host modules, against the simulated documents.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "refhost/driver/PerlRunner.h"

namespace refhost {

struct RunScriptCommand
{
    std::string script;
    std::string cookie;
    std::string file;
    std::string count;
};

// False when the line is not a runscript command of that form. Braces in the
// script path or file name are not escaped, so the last "} " ends the file.
bool ParseRunScript(const std::string &line, RunScriptCommand &command);

struct PlayRun
{
    RunScriptCommand command;
    PerlResult result;
    std::string trace; // the stand-in modules' trace of the run
};

class CommandInterpreter
{
public:
    // The simulated host's state for one run, in the stand-in modules' format.
    using StateProvider = std::function<std::string(const RunScriptCommand &)>;

    // perlLib: the folder of the stand-in modules, as perl sees it.
    CommandInterpreter(std::string perlLib, StateProvider state)
        : m_perlLib(std::move(perlLib)), m_state(std::move(state))
    {
    }
    // Runs a runscript line; false for anything else.
    bool Run(const std::string &line, PlayRun &run) const;

private:
    std::string m_perlLib;
    StateProvider m_state;
};

} // namespace refhost
