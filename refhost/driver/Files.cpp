#include "refhost/driver/Files.h"

#include <windows.h>
#include <atomic>

#include "base/Raii.h"

namespace refhost {

namespace {

bool WriteAll(HANDLE h, const std::string &text)
{
    DWORD written = 0;
    return ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

} // namespace

std::string ReadWhole(const std::string &path)
{
    std::string out;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    mimic::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f)
        return out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof(buf), &got, nullptr) && got)
        out.append(buf, got);
    return out;
}

bool WriteWhole(const std::string &path, const std::string &text)
{
    mimic::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return f && WriteAll(f.get(), text);
}

bool AppendLine(const std::string &path, const std::string &line)
{
    mimic::UniqueFile f(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                                      nullptr));
    return f && WriteAll(f.get(), line + "\r\n");
}

bool IsFile(const std::string &path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string &path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TempName(const std::string &prefix)
{
    static std::atomic<unsigned> s_next{0};
    char temp[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp, n) + prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(s_next++);
}

} // namespace refhost
