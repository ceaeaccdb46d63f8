#include "refhost/com/CommandInterpreter.h"

#include <windows.h>

#include "refhost/driver/Files.h"

namespace refhost {

namespace {

const char kPrefix[] = "runscript -perl {";
const char kMiddle[] = "} ";

} // namespace

bool ParseRunScript(const std::string &line, RunScriptCommand &command)
{
    if (line.compare(0, sizeof(kPrefix) - 1, kPrefix) != 0)
        return false;
    const size_t scriptStart = sizeof(kPrefix) - 1;
    const size_t scriptEnd = line.find("} ", scriptStart);
    if (scriptEnd == std::string::npos)
        return false;
    const size_t cookieStart = scriptEnd + 2;
    const size_t cookieEnd = line.find(" {", cookieStart);
    const size_t fileEnd = line.rfind(kMiddle);
    if (cookieEnd == std::string::npos || fileEnd == std::string::npos || fileEnd < cookieEnd + 2)
        return false;
    command.script = line.substr(scriptStart, scriptEnd - scriptStart);
    command.cookie = line.substr(cookieStart, cookieEnd - cookieStart);
    command.file = line.substr(cookieEnd + 2, fileEnd - cookieEnd - 2);
    command.count = line.substr(fileEnd + 2);
    return !command.count.empty();
}

bool CommandInterpreter::Run(const std::string &line, PlayRun &run) const
{
    if (!ParseRunScript(line, run.command))
        return false;
    const std::string base = TempName("refhost-run");
    const std::string state = base + ".state", trace = base + ".trace";
    WriteWhole(state, m_state(run.command));
    WriteWhole(trace, "");
    {
        ScopedEnvironment host({{"MIMIC_HOST_STATE", PerlPath(state)}, {"MIMIC_HOST_TRACE", PerlPath(trace)}});
        run.result = RunPerl(m_perlLib, {PerlPath(run.command.script), run.command.cookie, run.command.file,
                                         run.command.count});
    }
    run.trace = ReadWhole(trace);
    ::DeleteFileA(state.c_str());
    ::DeleteFileA(trace.c_str());
    return true;
}

} // namespace refhost
