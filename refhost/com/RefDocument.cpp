#include "refhost/com/RefDocument.h"

#include "refhost/com/RefConnectionPoint.h"

#include <vector>

using mimic::ComPtr;

namespace refhost {

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
        m_points[i] = ComPtr<RefConnectionPoint>::Attach(new RefConnectionPoint(this, *kPointIids[i]));
}

RefDocument::~RefDocument()
{
    // A sink may still hold a point; it must not reach a document that is gone.
    for (const ComPtr<RefConnectionPoint> &p : m_points)
        p->Orphan();
}

IUnknown *RefDocument::Interface(REFIID riid)
{
    return Find(riid, {{IID_IUnknown, this}, {IID_IConnectionPointContainer, this}});
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
            return m_points[i].Get();
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
