#include "base/Paths.h"

#include <windows.h>

namespace mimic {

namespace {

std::wstring Wide(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string FullPath(const std::string &path)
{
    char buf[MAX_PATH * 4];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof(buf), buf, nullptr);
    return (n == 0 || n >= sizeof(buf)) ? path : std::string(buf, n);
}

// Only the attributes are asked for, so a file that another program holds
// open, or one this user may not read, still answers; folders need the flag.
HANDLE OpenForIdentity(const std::string &path)
{
    return ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Identity(const std::string &path, BY_HANDLE_FILE_INFORMATION &info)
{
    const HANDLE h = OpenForIdentity(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = ::GetFileInformationByHandle(h, &info) != FALSE;
    ::CloseHandle(h);
    return ok;
}

} // namespace

int CompareNoCase(const std::string &a, const std::string &b)
{
    return CompareNoCase(NoCaseForm(a), NoCaseForm(b));
}

std::wstring NoCaseForm(const std::string &text)
{
    return Wide(text);
}

int CompareNoCase(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
}

bool EqualNoCase(const std::string &a, const std::string &b)
{
    return CompareNoCase(a, b) == 0;
}

bool SameFile(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!a.empty() && !b.empty() && Identity(a, ia) && Identity(b, ib))
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    return EqualNoCase(FullPath(a), FullPath(b));
}

bool IsRootedPath(const std::string &path)
{
    auto slash = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 2 && slash(path[0]) && slash(path[1]))
        return true;
    const char drive = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && slash(path[2]);
}

} // namespace mimic
