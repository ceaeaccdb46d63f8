// The reference host's objects with one interface besides IUnknown: they
// answer for both and count their references.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <atomic>

namespace refhost {

template <typename Itf>
class RefObject : public Itf
{
public:
    explicit RefObject(REFIID riid) : m_iid(riid) {}
    virtual ~RefObject() = default;
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, m_iid))
            return E_NOINTERFACE;
        *ppv = static_cast<Itf *>(this);
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_cRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = --m_cRef;
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    LONG References() const { return m_cRef; }

private:
    std::atomic<LONG> m_cRef{1};
    IID m_iid;
};

} // namespace refhost
