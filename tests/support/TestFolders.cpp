#include "tests/support/TestFolders.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "refhost/driver/Files.h"

namespace testsupport {

TempFolder::TempFolder()
{
    static unsigned s_next = 0;
    char temp[MAX_PATH];
    DWORD n = ::GetTempPathA(MAX_PATH, temp);
    std::string base = (n && n < MAX_PATH) ? std::string(temp, n) : std::string("C:\\");
    if (base.back() != '\\')
        base += '\\';
    char name[64];
    wsprintfA(name, "mimic-test-%lu-%u", ::GetCurrentProcessId(), s_next++);
    m_path = base + name;
    RemoveTree(m_path);
    EXPECT_TRUE(::CreateDirectoryA(m_path.c_str(), nullptr)) << m_path;
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

void MakeFolder(const std::string &path)
{
    size_t pos = path.find('\\', 3);
    while (pos != std::string::npos)
    {
        ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
        pos = path.find('\\', pos + 1);
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void WriteTextFile(const std::string &path, const std::string &text)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(h);
    ASSERT_EQ(written, text.size()) << path;
}

std::string ReadTextFile(const std::string &path)
{
    return refhost::ReadWhole(path);
}

bool FileExists(const std::string &path)
{
    DWORD attrs = ::GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
            {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

} // namespace testsupport
