// Small owners for the handles, memory and COM pointers the plug-in holds,
// so that every early return releases what it took, exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <unknwn.h>
#include <utility>

namespace mimic {

// One owner for every handle kind that has a "none" value and a close call.
// Traits: the handle type T, its "none" value and its close call.
template <typename Traits>
class UniqueHandleT
{
    using T = typename Traits::Type;

public:
    UniqueHandleT() = default;
    explicit UniqueHandleT(T h) : m_h(h) {}
    ~UniqueHandleT() { reset(); }
    UniqueHandleT(UniqueHandleT &&o) noexcept : m_h(o.release()) {}
    UniqueHandleT &operator=(UniqueHandleT &&o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    UniqueHandleT(const UniqueHandleT &) = delete;
    UniqueHandleT &operator=(const UniqueHandleT &) = delete;

    T get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::None(); }
    T release()
    {
        T h = m_h;
        m_h = Traits::None();
        return h;
    }
    void reset(T h = Traits::None())
    {
        if (m_h != Traits::None())
            Traits::Close(m_h);
        m_h = h;
    }
    // For out-parameters: closes the old value first.
    T *put()
    {
        reset();
        return &m_h;
    }

private:
    T m_h = Traits::None();
};

#define MIMIC_HANDLE_TRAITS(Name, T, none, close)                                                               \
    struct Name                                                                                                    \
    {                                                                                                              \
        using Type = T;                                                                                            \
        static Type None() { return none; }                                                                        \
        static void Close(Type h) { close(h); }                                                                    \
    }

MIMIC_HANDLE_TRAITS(RegKeyTraits, HKEY, nullptr, ::RegCloseKey);
// Kernel objects whose "none" is null: events, processes, threads, pipes.
MIMIC_HANDLE_TRAITS(KernelTraits, HANDLE, nullptr, ::CloseHandle);
MIMIC_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle);
MIMIC_HANDLE_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose);
MIMIC_HANDLE_TRAITS(HookTraits, HHOOK, nullptr, ::UnhookWindowsHookEx);
MIMIC_HANDLE_TRAITS(MenuTraits, HMENU, nullptr, ::DestroyMenu);
MIMIC_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow);
MIMIC_HANDLE_TRAITS(ModuleTraits, HMODULE, nullptr, ::FreeLibrary);
// A DC of our own making (CreateCompatibleDC, CreateDC); a window's DC is a WindowDC.
MIMIC_HANDLE_TRAITS(MemoryDCTraits, HDC, nullptr, ::DeleteDC);
MIMIC_HANDLE_TRAITS(ImageListTraits, HIMAGELIST, nullptr, ImageList_Destroy);
MIMIC_HANDLE_TRAITS(BstrTraits, BSTR, nullptr, ::SysFreeString);
#undef MIMIC_HANDLE_TRAITS

// Pens, brushes, bitmaps, fonts, regions: T is the GDI handle type.
template <typename T>
struct GdiTraits
{
    using Type = T;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

// Memory the platform allocates for us: T is the pointer type it hands out.
template <typename T>
struct CoTaskMemTraits
{
    using Type = T;
    static Type None() { return nullptr; }
    static void Close(Type p) { ::CoTaskMemFree(p); }
};
template <typename T>
struct LocalMemTraits
{
    using Type = T;
    static Type None() { return nullptr; }
    static void Close(Type p) { ::LocalFree(p); }
};

using UniqueHKey = UniqueHandleT<RegKeyTraits>;
using UniqueHandle = UniqueHandleT<KernelTraits>;
using UniqueFile = UniqueHandleT<FileTraits>;
using UniqueFind = UniqueHandleT<FindTraits>;
using UniqueHHook = UniqueHandleT<HookTraits>;
using UniqueHMenu = UniqueHandleT<MenuTraits>;
using UniqueHwnd = UniqueHandleT<WindowTraits>;
using UniqueHModule = UniqueHandleT<ModuleTraits>;
using UniqueMemoryDC = UniqueHandleT<MemoryDCTraits>;
using UniqueImageList = UniqueHandleT<ImageListTraits>;
using UniqueBstr = UniqueHandleT<BstrTraits>;
template <typename T>
using UniqueGdi = UniqueHandleT<GdiTraits<T>>;
using UniqueHBitmap = UniqueGdi<HBITMAP>;
template <typename T>
using UniqueCoTaskMem = UniqueHandleT<CoTaskMemTraits<T>>;
template <typename T>
using UniqueLocalMem = UniqueHandleT<LocalMemTraits<T>>;
template <typename T>
struct ProcessHeapTraits
{
    using Type = T *;
    static Type None() { return nullptr; }
    static void Close(Type p) { ::HeapFree(::GetProcessHeap(), 0, p); }
};
template <typename T>
using UniqueProcessHeapPtr = UniqueHandleT<ProcessHeapTraits<T>>;

// A window's DC from GetDC: only that window can take it back.
class WindowDC
{
public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~WindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC &) = delete;
    WindowDC &operator=(const WindowDC &) = delete;

    HDC get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// An object selected into a DC for a scope; what was selected before comes
// back at its end, so that the object can be deleted and the DC released.
class SelectedObject
{
public:
    SelectedObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    ~SelectedObject()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A COM pointer that owns one reference.
template <typename T>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference of its own.
    explicit ComPtr(T *p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr &o) : ComPtr(o.m_p) {}
    ComPtr(ComPtr &&o) noexcept : m_p(o.Detach()) {}
    ~ComPtr() { Reset(); }
    ComPtr &operator=(const ComPtr &o)
    {
        ComPtr(o).Swap(*this);
        return *this;
    }
    ComPtr &operator=(ComPtr &&o) noexcept
    {
        ComPtr(std::move(o)).Swap(*this);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(T *p)
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    T *Detach()
    {
        T *p = m_p;
        m_p = nullptr;
        return p;
    }
    void Reset()
    {
        if (m_p)
        {
            T *p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    void Swap(ComPtr &o) { std::swap(m_p, o.m_p); }

    T *Get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T **Put()
    {
        Reset();
        return &m_p;
    }
    void **PutVoid() { return reinterpret_cast<void **>(Put()); }

    template <typename U>
    HRESULT As(REFIID riid, ComPtr<U> &out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(riid, out.PutVoid());
    }

private:
    T *m_p = nullptr;
};

} // namespace mimic
