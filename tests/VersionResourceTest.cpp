// What Windows shows in mimic.dll's properties: the project's version, read
// from the built file as the file's properties read it; the texts under the
// language the translation list names first, as readers look them up.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/PlugInDll.h"

namespace {

TEST(VersionResourceTest, NumbersAndTextsNameTheProjectVersionTheFileAndItsMakers)
{
    const std::string path = testsupport::WindowsPathOf(MIMIC_DLL_PATH);
    DWORD handle = 0;
    std::vector<char> block(::GetFileVersionInfoSizeA(path.c_str(), &handle));
    ASSERT_FALSE(block.empty()) << path << " has no version resource";
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    auto query = [&](const std::string &what) -> void * {
        void *value = nullptr;
        UINT length = 0;
        return ::VerQueryValueA(block.data(), what.c_str(), &value, &length) && length ? value : nullptr;
    };
    const auto *info = static_cast<const VS_FIXEDFILEINFO *>(query("\\"));
    ASSERT_TRUE(info && info->dwSignature == 0xFEEF04BDu);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u %u.%u.%u.%u dll:%d", HIWORD(info->dwFileVersionMS),
                  LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS),
                  HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS),
                  LOWORD(info->dwProductVersionLS), info->dwFileType == VFT_DLL);
    EXPECT_STREQ(numbers, MIMIC_VERSION ".0 " MIMIC_VERSION ".0 dll:1");

    const auto *translation = static_cast<const WORD *>(query("\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    char table[64];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    auto text = [&](const char *name) {
        const auto *found = static_cast<const char *>(query(table + std::string(name)));
        return std::string(found ? found : "");
    };
    EXPECT_EQ(text("FileVersion") + " " + text("ProductVersion") + " " + text("OriginalFilename"),
              MIMIC_VERSION " " MIMIC_VERSION " mimic.dll");
    for (const char *name : {"CompanyName", "ProductName", "FileDescription"})
        EXPECT_NE(text(name), "") << name;
}

} // namespace
