// What Windows shows in mimic.dll's properties: the project's version, read
// from the built file as the file's properties read it.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/PlugInDll.h"

namespace {

class VersionResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string path = testsupport::WindowsPathOf(MIMIC_DLL_PATH);
        DWORD handle = 0;
        m_block.resize(::GetFileVersionInfoSizeA(path.c_str(), &handle));
        ASSERT_FALSE(m_block.empty()) << path << " has no version resource";
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(m_block.size()), m_block.data()));
        ASSERT_EQ(std::sscanf(MIMIC_VERSION, "%u.%u.%u", &m_version[0], &m_version[1], &m_version[2]), 3);
    }

    template <typename T> T *Query(const std::string &what)
    {
        void *value = nullptr;
        UINT length = 0;
        return ::VerQueryValueA(m_block.data(), what.c_str(), &value, &length) && length ? static_cast<T *>(value)
                                                                                          : nullptr;
    }

    std::vector<char> m_block;
    unsigned m_version[3] = {};
};

TEST_F(VersionResourceTest, NumbersAreTheProjectVersion)
{
    const VS_FIXEDFILEINFO *info = Query<VS_FIXEDFILEINFO>("\\");
    ASSERT_TRUE(info && info->dwSignature == 0xFEEF04BDu);
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_DLL));
    const DWORD versions[][2] = {{info->dwFileVersionMS, info->dwFileVersionLS},
                                 {info->dwProductVersionMS, info->dwProductVersionLS}};
    for (const auto &v : versions)
    {
        EXPECT_EQ(HIWORD(v[0]), m_version[0]);
        EXPECT_EQ(LOWORD(v[0]), m_version[1]);
        EXPECT_EQ(HIWORD(v[1]), m_version[2]);
        EXPECT_EQ(LOWORD(v[1]), 0u);
    }
}

// Looked up under the language the translation list names first, as readers do.
TEST_F(VersionResourceTest, TextsNameTheVersionTheFileAndItsMakers)
{
    const WORD *translation = Query<WORD>("\\VarFileInfo\\Translation");
    ASSERT_NE(translation, nullptr);
    char table[64];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const struct
    {
        const char *name, *expected; // null: any text but an empty one
    } texts[] = {{"FileVersion", MIMIC_VERSION}, {"ProductVersion", MIMIC_VERSION}, {"OriginalFilename", "mimic.dll"},
                 {"CompanyName", nullptr},       {"ProductName", nullptr},         {"FileDescription", nullptr}};
    for (const auto &t : texts)
    {
        const char *text = Query<const char>(table + std::string(t.name));
        ASSERT_NE(text, nullptr) << t.name;
        if (t.expected)
            EXPECT_STREQ(text, t.expected) << t.name;
        else
            EXPECT_NE(*text, '\0') << t.name;
    }
}

} // namespace
