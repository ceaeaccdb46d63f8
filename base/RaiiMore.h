// More owners in the manner of base/Raii.h: kernel handles that are null when
// unset (processes, threads, pipes), modules, device contexts, an object
// selected into one, and memory from the process heap.
#pragma once

#include <windows.h>

#include "base/Raii.h"

namespace mimic {

struct KernelHandleTraits
{
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct ModuleTraits
{
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

struct MemoryDcTraits
{
    using Type = HDC;
    static Type None() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};

template <typename T>
struct ProcessHeapTraits
{
    using Type = T *;
    static Type None() { return nullptr; }
    static void Close(Type p) { ::HeapFree(::GetProcessHeap(), 0, p); }
};

using UniqueHandle = UniqueHandleT<KernelHandleTraits>;
using UniqueHModule = UniqueHandleT<ModuleTraits>;
using UniqueMemoryDc = UniqueHandleT<MemoryDcTraits>;
template <typename T>
using UniqueProcessHeapPtr = UniqueHandleT<ProcessHeapTraits<T>>;

// A window's device context (the screen's for a null window), given back to
// the window that lent it.
class UniqueWindowDc
{
public:
    explicit UniqueWindowDc(HWND hWnd) : m_hWnd(hWnd), m_hDc(::GetDC(hWnd)) {}
    ~UniqueWindowDc()
    {
        if (m_hDc)
            ::ReleaseDC(m_hWnd, m_hDc);
    }
    UniqueWindowDc(const UniqueWindowDc &) = delete;
    UniqueWindowDc &operator=(const UniqueWindowDc &) = delete;

    HDC get() const { return m_hDc; }
    explicit operator bool() const { return m_hDc != nullptr; }

private:
    HWND m_hWnd;
    HDC m_hDc;
};

// An object selected into a device context until the owner goes; then the
// object it replaced is selected again, so that the object can be deleted.
class ScopedSelection
{
public:
    ScopedSelection(HDC hDc, HGDIOBJ hObject) : m_hDc(hDc), m_hOld(::SelectObject(hDc, hObject)) {}
    ~ScopedSelection()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDc, m_hOld);
    }
    ScopedSelection(const ScopedSelection &) = delete;
    ScopedSelection &operator=(const ScopedSelection &) = delete;

private:
    HDC m_hDc;
    HGDIOBJ m_hOld;
};

} // namespace mimic
