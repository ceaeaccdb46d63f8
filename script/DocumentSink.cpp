#include "script/DocumentSink.h"

#include <cstdio>
#include <new>

#include "base/Raii.h"
#include "host/hostapi.h"
#include "script/PerlQuote.h"

namespace mimic {

namespace {

const IID *const kPartIids[] = {&IID_IDocumentEvents, &IID_IDocumentEvents2, &IID_IMimicEventSink};

ComPtr<IConnectionPoint> FindConnectionPoint(IUnknown *pDocument, REFIID riid)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(pDocument->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) && container)
        container->FindConnectionPoint(riid, point.Put());
    return point;
}

} // namespace

// The sink's identity is its IMimicEventSink.
const InterfaceEntry DocumentSink::kInterfaces[] = {
    {&IID_IMimicEventSink, InterfaceOf<DocumentSink, IMimicEventSink>},
    {&IID_IDocumentEvents, InterfaceOf<DocumentSink, IDocumentEvents>},
    {&IID_IDocumentEvents2, InterfaceOf<DocumentSink, IDocumentEvents2>},
};

DocumentSink *DocumentSink::Create()
{
    return new (std::nothrow) ComObject<DocumentSink>();
}

void DocumentSink::Init(IRecordingTarget *pRecorder, int nIndex)
{
    m_pRecorder = pRecorder;
    m_nIndex = nIndex;
}

void DocumentSink::BuildVariableName()
{
    hostapi::KFString progId;
    (void)hostapi::ProgIDFromCLSID(m_clsid, progId);
    std::string word(static_cast<const char *>(progId));
    size_t end = 0;
    while (end < word.size() && ((word[end] >= 'a' && word[end] <= 'z') || (word[end] >= 'A' && word[end] <= 'Z') ||
                                 (word[end] >= '0' && word[end] <= '9')))
        ++end;
    char suffix[16];
    std::snprintf(suffix, sizeof(suffix), "%04x", static_cast<unsigned>(m_nIndex));
    m_strVarName = word.substr(0, end) + suffix;
}

bool DocumentSink::Connect(REFCLSID rclsid, UINT nCookie)
{
    ComPtr<IUnknown> document;
    if (!m_pRecorder || !m_pRecorder->GetDocumentObject(nCookie, IID_IUnknown, document.PutVoid()) || !document)
        return false;
    m_strClsidText = "CLSID_NexoPlugIn";
    m_nCookie = nCookie;
    m_clsid = rclsid;
    BuildVariableName();

    IUnknown *parts[kParts] = {static_cast<IDocumentEvents *>(this), static_cast<IDocumentEvents2 *>(this),
                               static_cast<IMimicEventSink *>(this)};
    for (int i = 0; i < kParts; ++i)
    {
        ComPtr<IConnectionPoint> point = FindConnectionPoint(document.Get(), *kPartIids[i]);
        m_bConnected[i] = point && SUCCEEDED(point->Advise(parts[i], &m_dwAdvise[i]));
    }
    return true;
}

bool DocumentSink::Disconnect()
{
    // The recorder stops tracking this document now. A sink that stays
    // advised (the document could not be found or would not let go) must
    // neither speak for it again nor reach a recorder that may be gone.
    IRecordingTarget *pRecorder = m_pRecorder;
    m_pRecorder = nullptr;
    ComPtr<IUnknown> document;
    if (!pRecorder || !pRecorder->GetDocumentObject(m_nCookie, IID_IUnknown, document.PutVoid()) || !document)
        return false;
    bool ok = true;
    for (int i : {kMimicEvents, kDocEvents, kDocEvents2})
    {
        if (!m_bConnected[i])
            continue;
        ComPtr<IConnectionPoint> point = FindConnectionPoint(document.Get(), *kPartIids[i]);
        if (!point || FAILED(point->Unadvise(m_dwAdvise[i])))
            ok = false;
    }
    return ok;
}

STDMETHODIMP DocumentSink::OnRecordEvent(UINT nCookie, LPWSTR pcszCommandName, LPWSTR pcszParamList)
{
    // The recorder may show a message box, and the host may close this
    // document meanwhile: stay alive until the call returns.
    ComPtr<IMimicEventSink> self(this);
    if (m_pRecorder)
        m_pRecorder->RecordEvent(nCookie, reinterpret_cast<const char *>(pcszCommandName),
                                 reinterpret_cast<const char *>(pcszParamList));
    return S_OK;
}

void DocumentSink::StoreParams(std::string params)
{
    ComPtr<IMimicEventSink> self(this);
    m_strParams = std::move(params);
    m_bHasParams = true;
    if (m_pRecorder)
        m_pRecorder->WriteDocumentEvent(m_nCookie);
}

STDMETHODIMP DocumentSink::OnOpen(long nValue)
{
    StoreParams(FormatOpenParams(nValue));
    return S_OK;
}

STDMETHODIMP DocumentSink::OnOpenFile(long nValue, LPCSTR pszText1, LPCSTR pszText2)
{
    StoreParams(FormatOpenParams(nValue, pszText1, pszText2));
    return S_OK;
}

STDMETHODIMP DocumentSink::OnOpenEx(long nValue, LPCSTR pszText1, LPCSTR pszText2, LPCSTR pszText3)
{
    StoreParams(FormatOpenParams(nValue, pszText1, pszText2, pszText3));
    return S_OK;
}

} // namespace mimic
