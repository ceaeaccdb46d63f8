#include "support/Files.h"

#include <windows.h>

#include "base/Raii.h"

namespace support {

ScratchFolder::ScratchFolder(const char *tag)
{
    static unsigned s_next = 0;
    char temp[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, temp);
    std::string base = (n && n < MAX_PATH) ? std::string(temp, n) : std::string("C:\\");
    if (base.back() != '\\')
        base += '\\';
    m_path = base + "mimic-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(s_next++);
    RemoveTree(m_path); // left over by a process of the same id that did not end well
    m_made = ::CreateDirectoryA(m_path.c_str(), nullptr) != FALSE;
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}

void MakeFolder(const std::string &path)
{
    for (size_t pos = path.find('\\', 3); pos != std::string::npos; pos = path.find('\\', pos + 1))
        ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    mimic::UniqueFind find(::FindFirstFileA((path + "\\*").c_str(), &fd));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.get(), &fd) != FALSE)
    {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string child = path + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
        {
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(child.c_str());
        }
    }
    find.reset(); // a folder that is being searched cannot go
    ::RemoveDirectoryA(path.c_str());
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
    mimic::UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

std::string ReadTextFile(const std::string &path)
{
    std::string out;
    mimic::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    char buffer[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got)
        out.append(buffer, got);
    return out;
}

bool FileExists(const std::string &path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WindowsPathOf(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

} // namespace support
