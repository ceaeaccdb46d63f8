// Records 100,000 commands through ScriptWriter::WriteCommand and compares the
// time per command with a loop of raw WriteFile calls writing the same bytes.
// Prints figures; asserts nothing.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

#include "library/ActionCatalogue.h"
#include "script/ScriptWriter.h"

namespace {

double Now()
{
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::string ReadAll(const std::string &path)
{
    std::string out;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buf[65536];
    DWORD got = 0;
    while (h != INVALID_HANDLE_VALUE && ::ReadFile(h, buf, sizeof(buf), &got, nullptr) && got)
        out.append(buf, got);
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    return out;
}

} // namespace

int main()
{
    const int count = 100000;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string scriptPath = std::string(temp) + "mimic-bench-writer.pl";
    const std::string rawPath = std::string(temp) + "mimic-bench-raw.pl";

    std::vector<std::string> params;
    for (int i = 0; i < count; ++i)
        params.push_back("Part=R" + std::to_string(i) + ", X=1200, Y=" + std::to_string(i % 977) + ", Name='net_" +
                         std::to_string(i % 31) + "'");

    mimic::ActionCatalogue catalogue;
    mimic::ScriptWriter writer(catalogue);
    writer.Open(scriptPath.c_str(), 0);
    double t0 = Now();
    for (int i = 0; i < count; ++i)
        writer.WriteCommand("v", "PlacePart", params[i].c_str());
    double writerSeconds = Now() - t0;
    writer.Close();

    // The same lines, cut out of the script the writer left, written one WriteFile each.
    std::string script = ReadAll(scriptPath);
    std::vector<std::string> lines;
    size_t body = script.find("\t$Nexo0->ExecuteCommand");
    for (size_t p = body; p != std::string::npos && p < script.size() - 2;)
    {
        size_t end = script.find('\n', p);
        lines.push_back(script.substr(p, end - p + 1));
        p = end + 1;
    }
    HANDLE raw = ::CreateFileA(rawPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    t0 = Now();
    for (const std::string &line : lines)
    {
        DWORD written = 0;
        ::WriteFile(raw, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    double rawSeconds = Now() - t0;
    ::CloseHandle(raw);

    std::printf("%-10s %14s %14s %10s\n", "commands", "writer us/cmd", "raw us/cmd", "ratio");
    std::printf("%-10d %14.2f %14.2f %10.2f%s\n", count, writerSeconds * 1e6 / count, rawSeconds * 1e6 / count,
                rawSeconds > 0 ? writerSeconds / rawSeconds : 0.0,
                static_cast<int>(lines.size()) == count ? "" : "  (line count mismatch!)");
    ::DeleteFileA(scriptPath.c_str());
    ::DeleteFileA(rawPath.c_str());
    return 0;
}
