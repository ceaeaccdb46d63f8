// Listens to one document while it takes part in a recording: the commands
// it reports go to the recorder, and its open notifications become the
// arguments with which the script opens it again.
#pragma once

#include <windows.h>
#include <string>

#include "HostServices.h"
#include "base/ComObject.h"
#include "mimic.h"
#include "script/DocumentEvents.h"
#include "script/RecordingTarget.h"

namespace mimic {

class DocumentSink : public IMimicEventSink, public IDocumentEvents, public DocumentEvents2Base
{
public:
    // A new sink with a reference count of 0; the caller adds the first reference.
    static DocumentSink *Create();

    // One IUnknown for all three parts, named again so that a DocumentSink
    // pointer has one; ComObject implements it.
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override = 0;
    STDMETHODIMP_(ULONG) AddRef() override = 0;
    STDMETHODIMP_(ULONG) Release() override = 0;

    // IMimicEventSink: the texts are narrow, whatever the type library says.
    STDMETHODIMP OnRecordEvent(UINT nCookie, LPWSTR pcszCommandName, LPWSTR pcszParamList) override;

    // IDocumentEvents
    STDMETHODIMP OnOpen(long nValue) override;
    STDMETHODIMP OnOpenFile(long nValue, LPCSTR pszText1, LPCSTR pszText2) override;
    STDMETHODIMP OnActivate(long, long) override { return S_OK; }
    STDMETHODIMP OnDeactivate(long, long) override { return S_OK; }
    STDMETHODIMP OnSelectionChanged(long, long, long) override { return S_OK; }
    STDMETHODIMP OnViewChanged(long, long, long, long) override { return S_OK; }

    // IDocumentEvents2
    STDMETHODIMP OnOpenEx(long nValue, LPCSTR pszText1, LPCSTR pszText2, LPCSTR pszText3) override;

    void Init(IRecordingTarget *pRecorder, int nIndex);
    bool Connect(REFCLSID rclsid, UINT nCookie);
    bool Disconnect();

    const std::string &VariableName() const { return m_strVarName; }
    const std::string &ClassIdText() const { return m_strClsidText; }
    // Null until the first open notification.
    const char *ParamText() const { return m_bHasParams ? m_strParams.c_str() : nullptr; }
    bool ConnectedToDocumentEvents() const { return m_bConnected[kDocEvents] || m_bConnected[kDocEvents2]; }
    UINT Cookie() const { return m_nCookie; }

    void BuildVariableName();

protected:
    DocumentSink() = default;
    ~DocumentSink() = default;

private:
    friend class ComObject<DocumentSink>;
    static const InterfaceEntry kInterfaces[];

    enum { kDocEvents, kDocEvents2, kMimicEvents, kParts };
    void StoreParams(std::string params);

    CLSID m_clsid = CLSID_NULL;
    std::string m_strVarName;
    std::string m_strClsidText;
    UINT m_nCookie = 0;
    DWORD m_dwAdvise[kParts] = {};
    bool m_bConnected[kParts] = {};
    int m_nIndex = 0;
    IRecordingTarget *m_pRecorder = nullptr; // not owned; forgotten at Disconnect
    std::string m_strParams;
    bool m_bHasParams = false;
};

} // namespace mimic
