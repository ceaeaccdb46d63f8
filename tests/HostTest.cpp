#include <windows.h>
#include <gtest/gtest.h>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"

namespace {

// On a scratch key below HKEY_CURRENT_USER, deleted before and after. Each
// value read as a number and as a text: "found|value", the value as it was
// left when nothing was found.
TEST(RegistryTest, ValuesOfAnotherTypeOrSizeAreAbsentAndUnterminatedTextsReadBack)
{
    const char *path = "Software\\MimicTests\\Registry";
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    mimic::UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const std::string ones("\xFF\xFF\xFF\xFF", 4);
    struct Case
    {
        const char *name;
        DWORD type;
        std::string data;
        const char *number, *text;
    };
    const Case cases[] = {
        {"dword", REG_DWORD, ones, "1|4294967295", "0|kept"},
        {"short dword", REG_DWORD, std::string("\7\0", 2), "0|1234", "0|kept"},
        {"qword", REG_QWORD, std::string("\5\0\0\0\0\0\0\0", 8), "0|1234", "0|kept"},
        {"binary", REG_BINARY, ones, "0|1234", "0|kept"},
        {"big endian", REG_DWORD_BIG_ENDIAN, ones, "0|1234", "0|kept"},
        {"text", REG_SZ, std::string("5", 2), "0|1234", "1|5"},
        {"unterminated", REG_SZ, "abc", "0|1234", "1|abc"},
        {"embedded", REG_SZ, std::string("ab\0cd", 6), "0|1234", "1|ab"},
        {"missing", REG_NONE, "", "0|1234", "0|kept"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        if (c.type != REG_NONE)
        {
            ASSERT_EQ(::RegSetValueExA(key.get(), c.name, 0, c.type, reinterpret_cast<const BYTE *>(c.data.data()),
                                       static_cast<DWORD>(c.data.size())),
                      ERROR_SUCCESS);
        }
        DWORD value = 1234;
        std::string text = "kept";
        const bool number = baseutil::ReadNumberFromReg(key.get(), c.name, value);
        EXPECT_EQ(std::to_string(number) + "|" + std::to_string(value), c.number);
        EXPECT_EQ(std::to_string(baseutil::ReadFromReg(key.get(), c.name, text)) + "|" + text, c.text);
    }
    DWORD value = 0;
    EXPECT_FALSE(baseutil::ReadNumberFromReg(nullptr, "dword", value));
    key.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
}

TEST(TextTest, NarrowAndWideRoundTripThroughTheAnsiCodePage)
{
    mimic::UniqueBstr b(mimic::BstrFromNarrow("Ctrl+\xE9"));
    ASSERT_TRUE(b.get());
    EXPECT_EQ(::SysStringLen(b.get()), 6u);
    EXPECT_EQ(mimic::NarrowFromBstr(b.get()), "Ctrl+\xE9");
    EXPECT_EQ(mimic::NarrowFromBstr(nullptr), "");
    // A BSTR may carry a NUL; its length, not the NUL, ends it.
    mimic::UniqueBstr withNul(::SysAllocStringLen(L"a\0b", 3));
    EXPECT_EQ(mimic::NarrowFromBstr(withNul.get()), std::string("a\0b", 3));

    // The calling thread's code page, not the system's: 0xC0 is a Cyrillic A under a Russian thread locale.
    const LCID before = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT)));
    const std::wstring wide = mimic::WideFromNarrow("\xC0");
    const std::string narrow = mimic::NarrowFromWide(L"\x0410");
    ::SetThreadLocale(before);
    EXPECT_EQ(wide, L"\x0410");
    EXPECT_EQ(narrow, "\xC0");
}

} // namespace
