// Each owner the plug-in keeps its own handles in (the others serve the
// reference host and the stand-ins), against a real handle of its kind.
// Whether a handle is still open is asked of the system, never of the owner;
// a value that a close gave back is soon handed out again, which is how a
// second close shows.
#include <windows.h>
#include <gtest/gtest.h>

#include "base/Raii.h"

using namespace mimic;

namespace {

// Search handles and the memory owners' blocks live on the process heap.
bool HeapBlockAlive(const void *p)
{
    return ::HeapValidate(::GetProcessHeap(), 0, p) != FALSE;
}

template <typename Owner, typename Make, typename Alive>
void CheckOwner(const char *kind, Make make, Alive alive)
{
    SCOPED_TRACE(kind);
    using T = decltype(make());
    const T a = make();
    ASSERT_TRUE(alive(a));
    T b{}, c{};
    {
        Owner first(a);
        {
            Owner moved(std::move(first));
            EXPECT_FALSE(first);
            first = std::move(moved);
        }
        EXPECT_TRUE(alive(a)) << "a moved-from owner closed it";
        T *slot = first.put();
        EXPECT_FALSE(alive(a)) << "put() kept the old value open";
        EXPECT_EQ(*slot, Owner().get());
        *slot = b = make();
        first.reset();
        EXPECT_FALSE(alive(b));
        c = make(); // free to take b's value
        Owner giver(c);
        c = giver.release();
    }
    EXPECT_TRUE(alive(c)) << "closed again by an owner that was reset or let go";
    Owner(c).reset();
    EXPECT_FALSE(alive(c));
}

TEST(OwnersTest, EachClosesItsHandleOnceAndOnlyWhileItOwnsIt)
{
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    WIN32_FIND_DATAA found;
    DWORD flags = 0;

    CheckOwner<UniqueHKey>(
        "registry key",
        [] {
            HKEY h = nullptr;
            ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &h);
            return h;
        },
        [](HKEY h) { return ::RegQueryInfoKeyA(h, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) == ERROR_SUCCESS; });
    CheckOwner<UniqueFile>(
        "file",
        [&] { return ::CreateFileA(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr); },
        [&](HANDLE h) { return ::GetHandleInformation(h, &flags) != FALSE; });
    CheckOwner<UniqueFind>("file search", [&] { return ::FindFirstFileA(program, &found); }, HeapBlockAlive);
    CheckOwner<UniqueHMenu>("menu", ::CreatePopupMenu, ::IsMenu);
    CheckOwner<UniqueLocalMem<char *>>("local memory", [] { return static_cast<char *>(::LocalAlloc(LMEM_FIXED, 16)); },
                                       HeapBlockAlive);
}

} // namespace
