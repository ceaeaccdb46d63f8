#include "tests/support/Perl.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "tests/support/TestFolders.h"

#ifndef MIMIC_PERL_LIB
#error MIMIC_PERL_LIB must name the stand-in host Perl modules
#endif

namespace testsupport {

std::string UnixPath(const std::string &windowsPath)
{
    using ToUnix = char *(CDECL *)(const WCHAR *);
    // Through void*: the exported address has the type GetProcAddress gives every export.
    static ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void *>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return windowsPath; // on Windows itself perl takes Windows paths
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char *unix = toUnix(wide.c_str());
    if (!unix)
        return windowsPath;
    std::string out = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return out;
}

namespace {

std::string Quote(const std::string &arg)
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
        if (c == '"')
            out.append(slashes * 2 + 1, '\\');
        else
            out.append(slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

std::string PerlExecutable()
{
    // Under Wine the machine's own perl; on Windows whatever perl is on the PATH.
    return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") ? "Z:\\usr\\bin\\perl"
                                                                                              : "perl";
}

} // namespace

PerlRun RunPerl(const std::vector<std::string> &args, const std::string &state)
{
    PerlRun run;
    TempFolder temp;
    const std::string statePath = temp / "state.txt", tracePath = temp / "trace.txt";
    WriteTextFile(statePath, state);
    WriteTextFile(tracePath, "");
    ::SetEnvironmentVariableA("MIMIC_HOST_STATE", UnixPath(statePath).c_str());
    ::SetEnvironmentVariableA("MIMIC_HOST_TRACE", UnixPath(tracePath).c_str());

    std::string cmd = Quote(PerlExecutable()) + " " + Quote(std::string("-I") + MIMIC_PERL_LIB);
    for (const std::string &a : args)
        cmd += " " + Quote(a);

    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &sa, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    BOOL started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(writeEnd);
    if (!started)
    {
        ADD_FAILURE() << "cannot start perl: " << cmd << " (error " << ::GetLastError() << ")";
        ::CloseHandle(readEnd);
        return run;
    }
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buf, sizeof(buf), &got, nullptr) && got)
        run.output.append(buf, got);
    ::CloseHandle(readEnd);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    run.trace = ReadTextFile(tracePath);
    ::SetEnvironmentVariableA("MIMIC_HOST_STATE", nullptr);
    ::SetEnvironmentVariableA("MIMIC_HOST_TRACE", nullptr);
    return run;
}

namespace {

std::string DecodeField(const std::string &field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i)
    {
        if (field[i] != '\\' || i + 1 == field.size())
        {
            out += field[i];
            continue;
        }
        char c = field[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == 'r')
            out += '\r';
        else if (c == 'x' && i + 2 < field.size() + 0)
        {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
        else if (c == 'D' || c == 'C' || c == 'U' || c == 'O')
            out += std::string("\\") + c; // an object marker stays as written
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<TracedCall> ParseTrace(const std::string &trace)
{
    std::vector<TracedCall> calls;
    size_t start = 0;
    while (start < trace.size())
    {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        std::vector<std::string> fields;
        size_t f = start;
        for (;;)
        {
            size_t tab = trace.find('\t', f);
            if (tab == std::string::npos || tab > end)
            {
                fields.push_back(trace.substr(f, end - f));
                break;
            }
            fields.push_back(trace.substr(f, tab - f));
            f = tab + 1;
        }
        start = end + 1;
        TracedCall call;
        call.name = fields[0];
        size_t arrow = fields.size() >= 2 ? fields.size() - 2 : 0;
        EXPECT_TRUE(fields.size() >= 3 && fields[arrow] == "->") << "bad trace line: " << fields[0];
        for (size_t i = 1; i < arrow; ++i)
            call.args.push_back(DecodeField(fields[i]));
        if (fields.size() >= 3)
            call.result = DecodeField(fields.back());
        calls.push_back(call);
    }
    return calls;
}

std::string EncodeField(const std::string &text)
{
    std::string out;
    for (unsigned char c : text)
    {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20 || c == 0x7f)
        {
            char hex[8];
            wsprintfA(hex, "\\x%02X", c);
            out += hex;
        }
        else
            out += static_cast<char>(c);
    }
    return out;
}

} // namespace testsupport
