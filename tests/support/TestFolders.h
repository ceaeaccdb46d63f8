// Scratch folders and files on the real file system (support/Files.h), with
// a folder or file that cannot be made reported as a test failure.
#pragma once

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

inline void WriteTextFile(const std::string &path, const std::string &text)
{
    ASSERT_TRUE(support::WriteTextFile(path, text)) << path;
}

} // namespace testsupport
