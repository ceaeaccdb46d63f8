// Runs perl for the reference host and the tests. On Windows that is a
// perl.exe child with its output piped back. Under Wine it is the machine's
// own perl: Wine starts a Unix program detached, with no handle to wait on
// and none of our pipes, so the program runs under /bin/sh, which writes its
// output and exit code to files that we wait for.
#pragma once

#include <windows.h>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace refhost {

struct PerlResult
{
    bool finished = false; // false: could not start, or still running at the timeout
    int exitCode = -1;
    std::string output; // standard output and standard error, interleaved
};

// A path as perl sees it: the Unix path under Wine, unchanged on Windows.
std::string PerlPath(const std::string &windowsPath);

// perl -I<lib> <args...>; the environment is this process's.
PerlResult RunPerl(const std::string &libFolder, const std::vector<std::string> &args, DWORD timeoutMs = 120000);

// Variables of this process's environment, which a child started meanwhile
// inherits; they are removed again when the object goes.
class ScopedEnvironment
{
public:
    explicit ScopedEnvironment(std::initializer_list<std::pair<const char *, std::string>> values);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    std::vector<std::string> m_names;
};

} // namespace refhost
