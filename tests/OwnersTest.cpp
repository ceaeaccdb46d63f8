// Every owner against a real handle of its kind. Whether a handle is still
// open is asked of the system, never of the owner; a value that a close gave
// back is soon handed out again, which is how a second close shows.
#include <windows.h>
#include <gtest/gtest.h>

#include "base/Raii.h"

using namespace mimic;

namespace {

int g_hookCalls = 0;

LRESULT CALLBACK CountingHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    ++g_hookCalls;
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Search handles, image lists and the memory owners' blocks live on the process heap.
bool HeapBlockAlive(const void *p)
{
    return ::HeapValidate(::GetProcessHeap(), 0, p) != FALSE;
}

HWND NewWindow()
{
    return ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
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
    UniqueHwnd window(NewWindow());
    char program[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    WIN32_FIND_DATAA found;
    MEMORY_BASIC_INFORMATION mapped;
    DWORD flags = 0;
    auto handleOpen = [&](HANDLE h) { return ::GetHandleInformation(h, &flags) != FALSE; };
    auto gdiAlive = [](HGDIOBJ h) { return ::GetObjectType(h) != 0; };

    CheckOwner<UniqueHKey>(
        "registry key",
        [] {
            HKEY h = nullptr;
            ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &h);
            return h;
        },
        [](HKEY h) { return ::RegQueryInfoKeyA(h, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) == ERROR_SUCCESS; });
    CheckOwner<UniqueHandle>("event", [] { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }, handleOpen);
    CheckOwner<UniqueFile>(
        "file",
        [&] { return ::CreateFileA(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr); },
        handleOpen);
    CheckOwner<UniqueFind>("file search", [&] { return ::FindFirstFileA(program, &found); }, HeapBlockAlive);
    CheckOwner<UniqueHHook>(
        "hook", [] { return ::SetWindowsHookExA(WH_CALLWNDPROC, CountingHook, nullptr, ::GetCurrentThreadId()); },
        [&](HHOOK) { g_hookCalls = 0; ::SendMessageA(window.get(), WM_NULL, 0, 0); return g_hookCalls > 0; });
    CheckOwner<UniqueHMenu>("menu", ::CreatePopupMenu, ::IsMenu);
    CheckOwner<UniqueHwnd>("window", NewWindow, ::IsWindow);
    // A module this program does not load otherwise, as a data file: each
    // load is a mapping of its own that only its FreeLibrary ends.
    CheckOwner<UniqueHModule>(
        "module", [] { return ::LoadLibraryExA("msimg32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE); },
        [&](HMODULE h) {
            ::VirtualQuery(reinterpret_cast<void *>(reinterpret_cast<ULONG_PTR>(h) & ~3ull), &mapped, sizeof(mapped));
            return mapped.State == MEM_COMMIT;
        });
    CheckOwner<UniqueMemoryDC>("memory DC", [] { return ::CreateCompatibleDC(nullptr); }, gdiAlive);
    CheckOwner<UniqueHBitmap>("bitmap", [] { return ::CreateBitmap(1, 1, 1, 1, nullptr); }, gdiAlive);
    CheckOwner<UniqueImageList>("image list", [] { return ImageList_Create(16, 16, ILC_COLOR24, 1, 0); },
                                HeapBlockAlive);
    CheckOwner<UniqueCoTaskMem<char *>>("task memory", [] { return static_cast<char *>(::CoTaskMemAlloc(16)); },
                                        HeapBlockAlive);
    CheckOwner<UniqueLocalMem<char *>>("local memory", [] { return static_cast<char *>(::LocalAlloc(LMEM_FIXED, 16)); },
                                       HeapBlockAlive);
}

// A window's DC goes back to its window; a selected bitmap comes out of its
// DC, so that it can be deleted.
TEST(OwnersTest, ScopedDrawingGivesBackWhatItTook)
{
    UniqueHwnd window(NewWindow());
    HDC taken = nullptr;
    {
        WindowDC dc(window.get());
        taken = dc.get();
        EXPECT_EQ(::WindowFromDC(taken), window.get());
    }
    EXPECT_EQ(::WindowFromDC(taken), nullptr);

    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    UniqueHBitmap bitmap(::CreateBitmap(1, 1, 1, 1, nullptr));
    {
        SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    EXPECT_TRUE(::DeleteObject(bitmap.release())) << "a bitmap still selected cannot be deleted";
}

} // namespace
