// Runs the machine's own perl on generated scripts, with the stand-in host
// Perl modules, and reads back the trace of what a script did.
#pragma once

#include <string>
#include <vector>

#include "refhost/driver/PerlRunner.h"
#include "refhost/driver/PerlTrace.h"

namespace testsupport {

// The Unix path of a Windows path (Wine maps every drive to a Unix folder).
using refhost::PerlPath;

struct PerlRun
{
    int exitCode = -1;
    std::string output; // standard output and error
    std::string trace;  // the stand-in modules' trace
};

// perl -I<stand-in modules> <args...>, with the simulated host state given
// as the state file's text.
PerlRun RunPerl(const std::vector<std::string> &args, const std::string &state = "");

using refhost::TracedCall;
// The run's trace, each line checked to be well formed.
std::vector<TracedCall> ParseTrace(const std::string &trace);

using refhost::EncodeField;

} // namespace testsupport
