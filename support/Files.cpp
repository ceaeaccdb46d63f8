#include "support/Files.h"

#include <windows.h>

#include "base/Raii.h"
#include "refhost/driver/Files.h"

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
    (void)refhost::MakeFolders(path);
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
    return refhost::WriteWhole(path, text);
}

std::string ReadTextFile(const std::string &path)
{
    return refhost::ReadWhole(path);
}

bool FileExists(const std::string &path)
{
    return refhost::IsFile(path);
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

std::string CatalogueSection(const std::string &name, int repeat, const std::string &accel, const std::string &path,
                             bool bMenu)
{
    return "[" + name + "]\r\nPlayMode=" + std::to_string(repeat) + "\r\nAccel=" + accel + "\r\nFilePath=" + path +
           "\r\nAddToMenu=" + (bMenu ? "1" : "0") + "\r\n";
}

} // namespace support
