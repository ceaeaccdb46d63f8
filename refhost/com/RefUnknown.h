// The one IUnknown of the reference host's COM objects. A class derives from
// RefUnknown<its interfaces...> and answers QueryInterface from its own table
// in Interface(); the count lives here. An object starts with one reference,
// its creator's, and deletes itself at the last Release.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <atomic>
#include <initializer_list>

namespace refhost {

// One row of a QueryInterface table: an interface id and the object seen as
// that interface; a null object withholds the interface.
struct InterfaceEntry
{
    const IID &iid;
    IUnknown *object;
};

template <typename... Itfs>
class RefUnknown : public Itfs...
{
public:
    RefUnknown(const RefUnknown &) = delete;
    RefUnknown &operator=(const RefUnknown &) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) final
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        IUnknown *object = Interface(riid);
        if (!object)
            return E_NOINTERFACE;
        object->AddRef();
        *ppv = object;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() final { return static_cast<ULONG>(++m_cRef); }
    STDMETHODIMP_(ULONG) Release() final
    {
        const LONG n = --m_cRef;
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    LONG References() const { return m_cRef; }

protected:
    RefUnknown() = default;
    virtual ~RefUnknown() = default;

    // The object as the interface, or null: Find over the class's table.
    virtual IUnknown *Interface(REFIID riid) = 0;
    static IUnknown *Find(REFIID riid, std::initializer_list<InterfaceEntry> table)
    {
        for (const InterfaceEntry &entry : table)
            if (IsEqualIID(riid, entry.iid))
                return entry.object;
        return nullptr;
    }

private:
    std::atomic<LONG> m_cRef{1};
};

} // namespace refhost
