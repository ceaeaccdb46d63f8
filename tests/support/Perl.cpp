#include "tests/support/Perl.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "tests/support/TestFolders.h"

#ifndef MIMIC_PERL_LIB
#error MIMIC_PERL_LIB must name the stand-in host Perl modules
#endif

namespace testsupport {

PerlRun RunPerl(const std::vector<std::string> &args, const std::string &state)
{
    PerlRun run;
    TempFolder temp;
    const std::string statePath = temp / "state.txt", tracePath = temp / "trace.txt";
    WriteTextFile(statePath, state);
    WriteTextFile(tracePath, "");
    ::SetEnvironmentVariableA("MIMIC_HOST_STATE", PerlPath(statePath).c_str());
    ::SetEnvironmentVariableA("MIMIC_HOST_TRACE", PerlPath(tracePath).c_str());
    refhost::PerlResult result = refhost::RunPerl(MIMIC_PERL_LIB, args);
    ::SetEnvironmentVariableA("MIMIC_HOST_STATE", nullptr);
    ::SetEnvironmentVariableA("MIMIC_HOST_TRACE", nullptr);
    EXPECT_TRUE(result.finished) << "perl did not finish: " << result.output;
    run.exitCode = result.exitCode;
    run.output = result.output;
    run.trace = ReadTextFile(tracePath);
    return run;
}

std::vector<TracedCall> ParseTrace(const std::string &trace)
{
    std::vector<TracedCall> calls = refhost::ParseTrace(trace);
    for (const TracedCall &call : calls)
        EXPECT_TRUE(call.wellFormed) << "bad trace line: " << call.name;
    return calls;
}

} // namespace testsupport
