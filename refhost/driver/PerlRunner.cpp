#include "refhost/driver/PerlRunner.h"

#include <cstdlib>

#include "base/Raii.h"
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

struct Child
{
    mimic::UniqueHandle process, thread;
};

bool Start(std::string commandLine, HANDLE hOutput, Child &child)
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
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, hOutput != nullptr, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi))
        return false;
    child.process.reset(pi.hProcess);
    child.thread.reset(pi.hThread);
    return true;
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
    Child child; // no handle of it tells us anything under Wine
    bool started;
    {
        ScopedEnvironment files({{"OUT", PerlPath(out)}, {"RC", PerlPath(rc)}, {"RCTMP", PerlPath(rcTmp)}});
        started = Start(cmd, nullptr, child);
    }
    if (started)
    {
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
    mimic::UniqueHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0))
        return result;
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    Child child;
    const bool started = Start(cmd, writeEnd.get(), child);
    // The child has its own copy; reading ends when it closes that.
    writeEnd.reset();
    if (started)
    {
        char buf[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd.get(), buf, sizeof(buf), &got, nullptr) && got)
            result.output.append(buf, got);
        if (::WaitForSingleObject(child.process.get(), timeoutMs) == WAIT_OBJECT_0)
        {
            DWORD code = 0;
            ::GetExitCodeProcess(child.process.get(), &code);
            result.finished = true;
            result.exitCode = static_cast<int>(code);
        }
    }
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
    mimic::UniqueProcessHeapPtr<char> unix(toUnix(wide.c_str()));
    return unix ? std::string(unix.get()) : windowsPath;
}

PerlResult RunPerl(const std::string &libFolder, const std::vector<std::string> &args, DWORD timeoutMs)
{
    std::vector<std::string> perlArgs{"-I" + libFolder};
    perlArgs.insert(perlArgs.end(), args.begin(), args.end());
    return UnderWine() ? RunUnderWine(perlArgs, timeoutMs) : RunOnWindows(perlArgs, timeoutMs);
}

ScopedEnvironment::ScopedEnvironment(std::initializer_list<std::pair<const char *, std::string>> values)
{
    for (const auto &value : values)
    {
        ::SetEnvironmentVariableA(value.first, value.second.c_str());
        m_names.push_back(value.first);
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    for (const std::string &name : m_names)
        ::SetEnvironmentVariableA(name.c_str(), nullptr);
}

} // namespace refhost
