// Scratch folders and files on the real file system (support/Files.h), with
// a folder or file that cannot be made reported as a test failure.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#include "support/Files.h"

namespace testsupport {

using support::FileExists;
using support::MakeFolder;
using support::ReadTextFile;
using support::RemoveTree;

class TempFolder : public support::ScratchFolder
{
public:
    TempFolder() : ScratchFolder("test") { EXPECT_TRUE(Made()) << Path(); }
};

// The process's current folder while it lives: a folder cannot go while it is the current one.
class CurrentFolder
{
public:
    explicit CurrentFolder(const std::string &path)
    {
        ::GetCurrentDirectoryA(MAX_PATH, m_saved);
        EXPECT_TRUE(::SetCurrentDirectoryA(path.c_str())) << path;
    }
    ~CurrentFolder() { ::SetCurrentDirectoryA(m_saved); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
    char m_saved[MAX_PATH] = {};
};

inline void WriteTextFile(const std::string &path, const std::string &text)
{
    ASSERT_TRUE(support::WriteTextFile(path, text)) << path;
}

} // namespace testsupport
