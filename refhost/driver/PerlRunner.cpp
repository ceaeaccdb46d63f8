#include "refhost/driver/PerlRunner.h"

#include <cstdlib>

#include "refhost/driver/Files.h"

namespace refhost {

namespace {

bool UnderWine()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Command-line quoting that CommandLineToArgv (and Wine, for a Unix child) undoes.
std::string QuoteArg(const std::string &arg)
{
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg)
    {
        if (c == '\\')
        {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

std::string TempFolder()
{
    const std::string dir = TempName("perlrun");
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool Start(std::string commandLine, HANDLE hOutput, PROCESS_INFORMATION &pi)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (hOutput)
    {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = hOutput;
        si.hStdError = hOutput;
        si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    commandLine.push_back('\0');
    return ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, hOutput != nullptr, CREATE_NO_WINDOW, nullptr,
                            nullptr, &si, &pi) != FALSE;
}

PerlResult RunUnderWine(const std::vector<std::string> &perlArgs, DWORD timeoutMs)
{
    PerlResult result;
    const std::string dir = TempFolder();
    const std::string out = dir + "\\output", rc = dir + "\\rc", rcTmp = dir + "\\rc.tmp";
    // The exit code is renamed into place only when complete.
    std::string cmd = "Z:\\bin\\sh -c " +
                      QuoteArg("\"$0\" \"$@\" >\"$OUT\" 2>&1; echo $? >\"$RCTMP\"; mv \"$RCTMP\" \"$RC\"") +
                      " /usr/bin/perl";
    for (const std::string &a : perlArgs)
        cmd += " " + QuoteArg(a);
    ::SetEnvironmentVariableA("OUT", PerlPath(out).c_str());
    ::SetEnvironmentVariableA("RC", PerlPath(rc).c_str());
    ::SetEnvironmentVariableA("RCTMP", PerlPath(rcTmp).c_str());
    PROCESS_INFORMATION pi = {};
    bool started = Start(cmd, nullptr, pi);
    ::SetEnvironmentVariableA("OUT", nullptr);
    ::SetEnvironmentVariableA("RC", nullptr);
    ::SetEnvironmentVariableA("RCTMP", nullptr);
    if (started)
    {
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
        const DWORD start = ::GetTickCount();
        while (::GetFileAttributesA(rc.c_str()) == INVALID_FILE_ATTRIBUTES)
        {
            if (::GetTickCount() - start > timeoutMs)
                break;
            ::Sleep(2);
        }
        std::string code = ReadWhole(rc);
        if (!code.empty())
        {
            result.finished = true;
            result.exitCode = std::atoi(code.c_str());
        }
        result.output = ReadWhole(out);
    }
    // Left behind on a time-out: the child may still hold the files.
    ::DeleteFileA(out.c_str());
    ::DeleteFileA(rc.c_str());
    ::RemoveDirectoryA(dir.c_str());
    return result;
}

PerlResult RunOnWindows(const std::vector<std::string> &perlArgs, DWORD timeoutMs)
{
    PerlResult result;
    std::string cmd = "perl";
    for (const std::string &a : perlArgs)
        cmd += " " + QuoteArg(a);
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return result;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION pi = {};
    bool started = Start(cmd, writeEnd, pi);
    ::CloseHandle(writeEnd);
    if (started)
    {
        char buf[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got)
            result.output.append(buf, got);
        if (::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        {
            DWORD code = 0;
            ::GetExitCodeProcess(pi.hProcess, &code);
            result.finished = true;
            result.exitCode = static_cast<int>(code);
        }
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    ::CloseHandle(readEnd);
    return result;
}

} // namespace

std::string PerlPath(const std::string &windowsPath)
{
    using ToUnix = char *(CDECL *)(const WCHAR *);
    static ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void *>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return windowsPath;
    int len = ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(len > 0 ? len : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], len);
    char *unix = toUnix(wide.c_str());
    if (!unix)
        return windowsPath;
    std::string out = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return out;
}

PerlResult RunPerl(const std::string &libFolder, const std::vector<std::string> &args, DWORD timeoutMs)
{
    std::vector<std::string> perlArgs{"-I" + libFolder};
    perlArgs.insert(perlArgs.end(), args.begin(), args.end());
    return UnderWine() ? RunUnderWine(perlArgs, timeoutMs) : RunOnWindows(perlArgs, timeoutMs);
}

} // namespace refhost
