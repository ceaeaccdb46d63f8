#include <windows.h>
#include <gtest/gtest.h>

#include "base/Raii.h"
#include "base/Text.h"

namespace {

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
