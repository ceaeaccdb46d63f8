#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

namespace testsupport {

TempFolder::TempFolder() : ScratchFolder("test")
{
    EXPECT_TRUE(Made()) << Path();
}

void WriteTextFile(const std::string &path, const std::string &text)
{
    ASSERT_TRUE(support::WriteTextFile(path, text)) << path;
}

} // namespace testsupport
