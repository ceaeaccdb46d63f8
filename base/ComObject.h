// The one IUnknown of the module's COM objects: an interlocked reference
// count, the module lock for as long as the object lives, and
// QueryInterface answered from the object's own table of interfaces.
//
// A class T lists what it answers in `static const InterfaceEntry
// kInterfaces[]` and leaves IUnknown to ComObject<T> (a plain object) or
// AggregatableComObject<T> (one that an outer object may aggregate).
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <cstddef>
#include <iterator>
#include <new>
#include <utility>

namespace mimic {

// One row of an interface table: the IID and the way from the object to it.
struct InterfaceEntry
{
    const IID *piid;
    IUnknown *(*cast)(void *pObject);
};

// The cast of a row: T is the object's class, I the interface the IID names.
template <typename T, typename I>
IUnknown *InterfaceOf(void *pObject)
{
    return static_cast<I *>(static_cast<T *>(pObject));
}

// QueryInterface over a table: *ppv is null first, IID_IUnknown is answered
// by pIdentity, anything else by its row, with a reference taken through the
// interface handed out.
HRESULT QueryInterfaceFromTable(void *pObject, const InterfaceEntry *pEntries, size_t nEntries, IUnknown *pIdentity,
                                REFIID riid, void **ppv);

// Whether an object keeps the module loaded while it lives. The class
// objects must not: a module that they held could never unload.
enum class ModuleHold
{
    Lock,
    None
};

class ComObjectRoot
{
protected:
    explicit ComObjectRoot(ModuleHold hold);
    ~ComObjectRoot();
    ComObjectRoot(const ComObjectRoot &) = delete;
    ComObjectRoot &operator=(const ComObjectRoot &) = delete;

    ULONG AddRefRoot() { return static_cast<ULONG>(::InterlockedIncrement(&m_cRef)); }
    // The count left; the caller deletes the object at 0.
    ULONG ReleaseRoot() { return static_cast<ULONG>(::InterlockedDecrement(&m_cRef)); }

private:
    volatile LONG m_cRef = 0;
    ModuleHold m_hold;
};

// A plain object. Its first row also answers IID_IUnknown, so that every
// interface leads to one identity. Made with new it starts at a count of 0;
// the last Release deletes it.
template <typename T, ModuleHold kHold = ModuleHold::Lock>
class ComObject final : private ComObjectRoot, public T
{
public:
    template <typename... Args>
    explicit ComObject(Args &&...args) : ComObjectRoot(kHold), T(std::forward<Args>(args)...)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        T *self = this;
        return QueryInterfaceFromTable(self, T::kInterfaces, std::size(T::kInterfaces), T::kInterfaces[0].cast(self),
                                       riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefRoot(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG n = ReleaseRoot();
        if (n == 0)
            delete this;
        return n;
    }

private:
    ~ComObject() = default;
};

// An object that an outer object may aggregate. Every interface of T
// answers through the controlling unknown: the outer object when there is
// one, else the object's own inner unknown, which alone counts references,
// answers from T's table and is what IID_IUnknown gets.
template <typename T>
class AggregatableComObject final : private ComObjectRoot, public T
{
public:
    // A class factory's CreateInstance: with an outer object only
    // IID_IUnknown may be asked for, and the inner unknown comes back.
    static HRESULT Create(IUnknown *pOuter, REFIID riid, void **ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter && !IsEqualIID(riid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        AggregatableComObject *object = new (std::nothrow) AggregatableComObject(pOuter);
        if (!object)
            return E_OUTOFMEMORY;
        // Held for the question, so that a refused one frees the object.
        IUnknown *inner = &object->m_inner;
        inner->AddRef();
        const HRESULT hr = inner->QueryInterface(riid, ppv);
        inner->Release();
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override { return m_pOuter->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_pOuter->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_pOuter->Release(); }

private:
    class InnerUnknown final : public IUnknown
    {
    public:
        explicit InnerUnknown(AggregatableComObject *pOwner) : m_pOwner(pOwner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
        {
            T *object = m_pOwner;
            return QueryInterfaceFromTable(object, T::kInterfaces, std::size(T::kInterfaces), this, riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return m_pOwner->AddRefRoot(); }
        STDMETHODIMP_(ULONG) Release() override
        {
            const ULONG n = m_pOwner->ReleaseRoot();
            if (n == 0)
                delete m_pOwner;
            return n;
        }

    private:
        AggregatableComObject *m_pOwner;
    };

    explicit AggregatableComObject(IUnknown *pOuter)
        : ComObjectRoot(ModuleHold::Lock), m_inner(this), m_pOuter(pOuter ? pOuter : &m_inner)
    {
    }
    ~AggregatableComObject() = default;

    InnerUnknown m_inner;
    IUnknown *m_pOuter; // not owned when aggregated
};

} // namespace mimic
