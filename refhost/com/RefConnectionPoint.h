// A connection point of the reference host: keeps the advised sinks (typed
// as its interface) and can be told to refuse advising or unadvising.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <map>
#include <vector>

#include "base/Raii.h"
#include "refhost/com/RefUnknown.h"

namespace refhost {

using mimic::ComPtr;

class RefConnectionPoint final : public RefUnknown<IConnectionPoint>
{
public:
    RefConnectionPoint(IConnectionPointContainer *pContainer, REFIID riid) : m_pContainer(pContainer), m_iid(riid) {}

    STDMETHODIMP GetConnectionInterface(IID *piid) override
    {
        if (!piid)
            return E_POINTER;
        *piid = m_iid;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **ppCPC) override
    {
        if (!ppCPC)
            return E_POINTER;
        *ppCPC = m_pContainer;
        if (m_pContainer)
            m_pContainer->AddRef();
        return m_pContainer ? S_OK : E_UNEXPECTED;
    }
    STDMETHODIMP Advise(IUnknown *pSink, DWORD *pdwCookie) override
    {
        if (!pSink || !pdwCookie)
            return E_POINTER;
        *pdwCookie = 0;
        if (m_bRefuseAdvise)
            return CONNECT_E_CANNOTCONNECT;
        ComPtr<IUnknown> typed;
        if (FAILED(pSink->QueryInterface(m_iid, typed.PutVoid())))
            return CONNECT_E_CANNOTCONNECT;
        *pdwCookie = ++m_nNextCookie;
        m_sinks[*pdwCookie] = typed;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD dwCookie) override
    {
        if (m_bRefuseUnadvise)
            return E_FAIL;
        return m_sinks.erase(dwCookie) ? S_OK : CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP EnumConnections(IEnumConnections **ppEnum) override
    {
        if (ppEnum)
            *ppEnum = nullptr;
        return E_NOTIMPL;
    }

    // The sinks as they are now: a callback may unadvise while we go through them.
    std::vector<ComPtr<IUnknown>> Sinks() const
    {
        std::vector<ComPtr<IUnknown>> out;
        for (const auto &s : m_sinks)
            out.push_back(s.second);
        return out;
    }
    void Orphan() { m_pContainer = nullptr; }

    bool m_bRefuseAdvise = false;
    bool m_bRefuseUnadvise = false;
    std::map<DWORD, ComPtr<IUnknown>> m_sinks;

private:
    ~RefConnectionPoint() override = default;
    IUnknown *Interface(REFIID riid) override
    {
        return Find(riid, {{IID_IUnknown, this}, {IID_IConnectionPoint, this}});
    }

    IConnectionPointContainer *m_pContainer; // weak: the container owns the point
    IID m_iid;
    DWORD m_nNextCookie = 0;
};

} // namespace refhost
