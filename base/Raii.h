// Small owners for the handles and COM pointers the plug-in holds, so that
// every early return releases what it took.
#pragma once

#include <windows.h>
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
MIMIC_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle);
MIMIC_HANDLE_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose);
MIMIC_HANDLE_TRAITS(HookTraits, HHOOK, nullptr, ::UnhookWindowsHookEx);
MIMIC_HANDLE_TRAITS(MenuTraits, HMENU, nullptr, ::DestroyMenu);
MIMIC_HANDLE_TRAITS(GdiTraits, HGDIOBJ, nullptr, ::DeleteObject);
MIMIC_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow);
#undef MIMIC_HANDLE_TRAITS

using UniqueHKey = UniqueHandleT<RegKeyTraits>;
using UniqueFile = UniqueHandleT<FileTraits>;
using UniqueFind = UniqueHandleT<FindTraits>;
using UniqueHHook = UniqueHandleT<HookTraits>;
using UniqueHMenu = UniqueHandleT<MenuTraits>;
using UniqueGdiObj = UniqueHandleT<GdiTraits>;
using UniqueHwnd = UniqueHandleT<WindowTraits>;

class UniqueBstr
{
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR b) : m_b(b) {}
    ~UniqueBstr() { reset(); }
    UniqueBstr(UniqueBstr &&o) noexcept : m_b(o.release()) {}
    UniqueBstr &operator=(UniqueBstr &&o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    UniqueBstr(const UniqueBstr &) = delete;
    UniqueBstr &operator=(const UniqueBstr &) = delete;

    BSTR get() const { return m_b; }
    BSTR release()
    {
        BSTR b = m_b;
        m_b = nullptr;
        return b;
    }
    void reset(BSTR b = nullptr)
    {
        if (m_b)
            ::SysFreeString(m_b);
        m_b = b;
    }
    BSTR *put()
    {
        reset();
        return &m_b;
    }

private:
    BSTR m_b = nullptr;
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
