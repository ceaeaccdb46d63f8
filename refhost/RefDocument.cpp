#include "refhost/RefDocument.h"

#include <vector>

using mimic::ComPtr;

namespace refhost {

class RefConnectionPoint final : public IConnectionPoint
{
public:
    RefConnectionPoint(RefDocument *pContainer, REFIID riid) : m_pContainer(pContainer), m_iid(riid) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint))
            return E_NOINTERFACE;
        *ppv = static_cast<IConnectionPoint *>(this);
        AddRef();
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
    LONG m_cRef = 1;
    RefDocument *m_pContainer; // weak: the container owns the point
    IID m_iid;
    DWORD m_nNextCookie = 0;
};

namespace {
const IID *const kPointIids[] = {&IID_IDocumentEvents, &IID_IDocumentEvents2, &IID_IMimicEventSink};
} // namespace

ComPtr<RefDocument> RefDocument::Create(UINT nCookie, const std::string &file, REFCLSID rclsid)
{
    return ComPtr<RefDocument>::Attach(new RefDocument(nCookie, file, rclsid));
}

RefDocument::RefDocument(UINT nCookie, const std::string &file, REFCLSID rclsid)
    : m_nCookie(nCookie), m_file(file), m_clsid(rclsid)
{
    for (int i = 0; i < 3; ++i)
        m_points[i] = new RefConnectionPoint(this, *kPointIids[i]);
}

RefDocument::~RefDocument()
{
    for (RefConnectionPoint *p : m_points)
    {
        p->Orphan();
        p->Release();
    }
}

STDMETHODIMP RefDocument::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPointContainer))
        return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPointContainer *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) RefDocument::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) RefDocument::Release()
{
    LONG n = ::InterlockedDecrement(&m_cRef);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP RefDocument::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

RefConnectionPoint *RefDocument::Point(REFIID riid) const
{
    for (int i = 0; i < 3; ++i)
        if (IsEqualIID(riid, *kPointIids[i]))
            return m_points[i];
    return nullptr;
}

STDMETHODIMP RefDocument::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = Point(riid);
    if (!*ppCP)
        return CONNECT_E_NOCONNECTION;
    (*ppCP)->AddRef();
    return S_OK;
}

void RefDocument::RefuseAdvise(REFIID riid, bool bRefuse)
{
    if (RefConnectionPoint *p = Point(riid))
        p->m_bRefuseAdvise = bRefuse;
}

void RefDocument::RefuseUnadvise(REFIID riid, bool bRefuse)
{
    if (RefConnectionPoint *p = Point(riid))
        p->m_bRefuseUnadvise = bRefuse;
}

size_t RefDocument::SinkCount(REFIID riid) const
{
    RefConnectionPoint *p = Point(riid);
    return p ? p->m_sinks.size() : 0;
}

void RefDocument::ReportCommand(const char *pszCommand, const char *pszParams)
{
    for (const ComPtr<IUnknown> &s : Point(IID_IMimicEventSink)->Sinks())
        static_cast<IMimicEventSink *>(s.Get())
            ->OnRecordEvent(m_nCookie, reinterpret_cast<LPWSTR>(const_cast<char *>(pszCommand)),
                            reinterpret_cast<LPWSTR>(const_cast<char *>(pszParams)));
}

void RefDocument::FireOpen(long nValue)
{
    for (const ComPtr<IUnknown> &s : Point(IID_IDocumentEvents)->Sinks())
        static_cast<IDocumentEvents *>(s.Get())->OnOpen(nValue);
}

void RefDocument::FireOpen(long nValue, const char *pszText1, const char *pszText2)
{
    for (const ComPtr<IUnknown> &s : Point(IID_IDocumentEvents)->Sinks())
        static_cast<IDocumentEvents *>(s.Get())->OnOpenFile(nValue, pszText1, pszText2);
}

void RefDocument::FireOpen(long nValue, const char *pszText1, const char *pszText2, const char *pszText3)
{
    for (const ComPtr<IUnknown> &s : Point(IID_IDocumentEvents2)->Sinks())
        static_cast<IDocumentEvents2 *>(s.Get())->OnOpenEx(nValue, pszText1, pszText2, pszText3);
}

} // namespace refhost
