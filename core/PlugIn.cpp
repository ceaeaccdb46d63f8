#include "core/PlugIn.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "HostServices.h"
#include "base/ComObject.h"
#include "base/Raii.h"
#include "base/Text.h"
#include "core/MacroRecorder.h"
#include "core/Playback.h"
#include "host/ComTypeInfoHolder.h"
#include "host/hostapi.h"
#include "library/ActionCatalogue.h"
#include "mimic.h"
#include "script/DocumentEvents.h"
#include "ui/Dialog.h"
#include "ui/MimicProperty.h"

namespace mimic {

namespace {

class MimicPlugIn;

// The initialised plug-in objects of the process, oldest first: they share
// the one catalogue, which must outlive each one's Close but the last.
std::vector<MimicPlugIn *> &InitializedObjects()
{
    static std::vector<MimicPlugIn *> s_objects;
    return s_objects;
}

// IDispatch for every plug-in object of the module, from its own type library.
KComTypeInfoHolder &TypeInfo()
{
    static KComTypeInfoHolder s_holder(LIBID_MIMICPLUGINLib, 1, 0, IID_IMimic);
    return s_holder;
}

// Aggregatable: its IUnknown is AggregatableComObject's.
class MimicPlugIn : public IPlugIn,
                    public DocumentEvents2Base,
                    public IHostPlugInNotify,
                    public IMimic,
                    public IHostPreferencesPage,
                    public IPlugInCommandSink
{
public:
    static const InterfaceEntry kInterfaces[];

    MimicPlugIn() : m_plugInSink(CLSID_HostPlugIn, CLSID_HostPlugInSinkSite, IID_IDocumentEvents2)
    {
        TypeInfo().AddRef(ModuleInstance());
    }

    // IPlugIn
    STDMETHODIMP Install(IUnknown *, UINT) override { return S_OK; }
    STDMETHODIMP Initialize(IUnknown *pFrameworkUnk, UINT nCookie) override;
    STDMETHODIMP Close() override;

    // IDocumentEvents2: registered with the host's plug-in events; the open notification is ignored too.
    STDMETHODIMP OnOpenEx(long, LPCSTR, LPCSTR, LPCSTR) override { return S_OK; }

    // IHostPlugInNotify
    STDMETHODIMP OnPlugInOpened(REFCLSID rclsid, UINT nCookie) override;
    STDMETHODIMP OnPlugInClosed(REFCLSID rclsid, UINT nCookie) override;
    STDMETHODIMP OnPlugInActivated(REFCLSID, UINT, UINT) override { return S_OK; }
    STDMETHODIMP OnPlugInRenamed(REFCLSID, UINT, UINT) override { return S_OK; }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override
    {
        return TypeInfo().GetTypeInfo(iTInfo, lcid, ppTInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId) override
    {
        return TypeInfo().GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams,
                        VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override
    {
        return TypeInfo().Invoke(static_cast<IMimic *>(this), dispIdMember, riid, lcid, wFlags, pDispParams,
                                 pVarResult, pExcepInfo, puArgErr);
    }

    // IMimic
    STDMETHODIMP StartRecording(HWND pParent, long nCookie) override
    {
        WithRecorder([&](KMacroRecorder &recorder) { recorder.Start(pParent, nCookie); });
        return S_OK;
    }
    STDMETHODIMP PauseRecording() override
    {
        if (m_pRecorder)
            m_pRecorder->Pause();
        return S_OK;
    }
    STDMETHODIMP StopRecording() override
    {
        if (m_pRecorder)
            m_pRecorder->Stop();
        return S_OK;
    }
    STDMETHODIMP GetRecorderState(long *pState, long *pCookie) override
    {
        if (!pState || !pCookie)
            return E_POINTER;
        if (!m_pRecorder)
            return S_FALSE;
        m_pRecorder->GetState(pState, pCookie);
        return S_OK;
    }
    STDMETHODIMP GetMacroFilesPath(BSTR *pPath, long bGlobal) override
    {
        if (!pPath)
            return E_POINTER;
        if (m_pRecorder)
            *pPath = BstrFromNarrow(m_pRecorder->GetActionFolder(bGlobal != 0));
        return S_OK;
    }
    STDMETHODIMP ReloadList() override
    {
        if (m_pRecorder)
            ActionCatalogue::Instance().RequestReload(ActionCatalogue::ReloadRequest::Rescan);
        return S_OK;
    }
    STDMETHODIMP GetCommandFileNameToPlay(HWND pParent, long *nTimes, BSTR *pFileName) override
    {
        if (!nTimes || !pFileName)
            return E_POINTER;
        WithRecorder([&](KMacroRecorder &recorder) { recorder.ChooseActionToPlay(pParent, nTimes, pFileName); });
        return S_OK;
    }
    STDMETHODIMP GetTaskManager(HWND pParent) override
    {
        WithRecorder([&](KMacroRecorder &recorder) { recorder.ShowActionManager(pParent); });
        return S_OK;
    }
    // An object that is not initialised knows no actions, even while another
    // object of the process has the catalogue loaded.
    STDMETHODIMP GetCommandIdFromAccel(LPWSTR _pcszAccel, int *pCmdId) override
    {
        if (pCmdId && !m_pRecorder)
            return S_FALSE;
        return mimic::GetCommandIdFromAccel(ActionCatalogue::Instance(), reinterpret_cast<const char *>(_pcszAccel),
                                            pCmdId);
    }
    STDMETHODIMP GetTaskPlayInfoFromCmdId(UINT nCmdId, long *nTimes, BSTR *pFileName) override
    {
        if (nTimes && pFileName && !m_pRecorder)
            return S_FALSE;
        return mimic::GetTaskPlayInfoFromCmdId(ActionCatalogue::Instance(), nCmdId, nTimes, pFileName);
    }
    STDMETHODIMP GetMimicMenu(IUnknown **menu, REFCLSID rclsid) override
    {
        if (!menu)
            return E_POINTER;
        return (m_pRecorder && m_pRecorder->BuildActionsMenu(menu, rclsid)) ? S_OK : E_FAIL;
    }
    STDMETHODIMP GetCommandAccelFromId(int pCmdId, BSTR *pAccell) override
    {
        if (!pAccell)
            return E_POINTER;
        return m_pRecorder ? m_pRecorder->GetAccelForCommand(pCmdId, pAccell) : S_FALSE;
    }
    STDMETHODIMP RecordEvent(UINT nCookie, LPWSTR pcszCommandName, LPWSTR pcszParamList) override
    {
        WithRecorder([&](KMacroRecorder &recorder) {
            recorder.RecordEvent(nCookie, reinterpret_cast<const char *>(pcszCommandName),
                                 reinterpret_cast<const char *>(pcszParamList));
        });
        return S_OK;
    }
    STDMETHODIMP PlayLastMacro(BSTR *ppFiles) override { return mimic::PlayLastMacro(m_pFramework.Get(), ppFiles); }
    STDMETHODIMP OnChangeActiveDesign() override
    {
        ActionCatalogue::Instance().RequestReload(ActionCatalogue::ReloadRequest::NewFolders);
        return S_OK;
    }

    // IHostPreferencesPage
    STDMETHODIMP CreatePage(IUnknown *pFrameworkUnk, HWND hParent, long nFlags, HWND *phPage) override;

    // IPlugInCommandSink
    STDMETHODIMP OnCommand(UINT, UINT) override { return S_OK; }
    STDMETHODIMP OnUpdateCommand(UINT, UINT *) override { return S_OK; }

protected:
    ~MimicPlugIn()
    {
        LeaveCatalogue();
        m_pRecorder.reset();
        TypeInfo().Release();
    }

private:
    void LeaveCatalogue();
    ComPtr<IConnectionPoint> NotifyPoint() const;

    // A call that may show a dialog or a message box runs the host's message
    // loop, from which the host may call Close. The recorder and the framework
    // it uses then stay until the call returns; a recording the call started
    // is stopped and saved, as Close does with any recording.
    template <typename Call>
    void WithRecorder(Call call)
    {
        if (!m_pRecorder)
            return;
        ComPtr<IUnknown> self(static_cast<IPlugIn *>(this));
        ++m_nDialogCalls;
        {
            // Reloads asked for meanwhile wait for the dialogs, and run while
            // a recorder closed meanwhile still keeps its framework.
            ActionCatalogue::DialogScope dialogs(ActionCatalogue::Instance());
            call(*m_pRecorder);
        }
        if (--m_nDialogCalls == 0)
        {
            for (Closed &closed : m_closed)
                closed.recorder->Stop();
            m_closed.clear();
        }
    }

    ComPtr<IUnknown> m_pFramework;
    UINT m_nCookie = 0;
    DWORD m_dwAdvise = 0;
    bool m_bAdvised = false;
    bool m_bCommandSinkRegistered = false;
    std::unique_ptr<KMacroRecorder> m_pRecorder;
    int m_nDialogCalls = 0;
    struct Closed
    {
        std::unique_ptr<KMacroRecorder> recorder;
        ComPtr<IUnknown> framework;
    };
    std::vector<Closed> m_closed; // by Close during a dialog call
    hostapi::KPlugInSink m_plugInSink;
};

// IID_IUnknown is the inner unknown's answer; IDispatch is IMimic's.
const InterfaceEntry MimicPlugIn::kInterfaces[] = {
    {&IID_IPlugIn, InterfaceOf<MimicPlugIn, IPlugIn>},
    {&IID_IDocumentEvents2, InterfaceOf<MimicPlugIn, IDocumentEvents2>},
    {&IID_IHostPlugInNotify, InterfaceOf<MimicPlugIn, IHostPlugInNotify>},
    {&IID_IMimic, InterfaceOf<MimicPlugIn, IMimic>},
    {&IID_IDispatch, InterfaceOf<MimicPlugIn, IMimic>},
    {&IID_IHostPreferencesPage, InterfaceOf<MimicPlugIn, IHostPreferencesPage>},
    {&IID_IPlugInCommandSink, InterfaceOf<MimicPlugIn, IPlugInCommandSink>},
};

ComPtr<IConnectionPoint> MimicPlugIn::NotifyPoint() const
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (m_pFramework &&
        SUCCEEDED(m_pFramework->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) && container)
        container->FindConnectionPoint(IID_IHostPlugInNotify, point.Put());
    return point;
}

STDMETHODIMP MimicPlugIn::Initialize(IUnknown *pFrameworkUnk, UINT nCookie)
{
    // Once is the contract: a second Initialize, from inside a dialog or
    // during a recording, would pull the recorder from under its own callers.
    if (m_pRecorder || m_pFramework)
        return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
    InitializedObjects().push_back(this);
    m_pFramework = ComPtr<IUnknown>(pFrameworkUnk);
    m_nCookie = nCookie;
    m_pRecorder.reset(new (std::nothrow) KMacroRecorder(pFrameworkUnk, nCookie));
    ActionCatalogue::Instance().SetFramework(pFrameworkUnk);
    if (m_bAdvised)
        return S_OK;

    ComPtr<IConnectionPoint> point = NotifyPoint();
    const bool advised =
        point && SUCCEEDED(point->Advise(static_cast<IHostPlugInNotify *>(this), &m_dwAdvise));
    m_bCommandSinkRegistered =
        SUCCEEDED(hostapi::RegisterCommandSink(pFrameworkUnk, m_nCookie, static_cast<IPlugInCommandSink *>(this)));
    m_bAdvised = advised;
    return advised ? S_OK : E_FAIL;
}

STDMETHODIMP MimicPlugIn::Close()
{
    if (m_pRecorder)
    {
        m_pRecorder->Stop();
        if (m_nDialogCalls > 0)
            m_closed.push_back({std::move(m_pRecorder), m_pFramework});
        m_pRecorder.reset();
    }
    if (m_bAdvised)
    {
        ComPtr<IConnectionPoint> point = NotifyPoint();
        if (point && SUCCEEDED(point->Unadvise(m_dwAdvise)))
            m_bAdvised = false;
    }
    // Registered even when the advise was refused: the host would otherwise
    // keep this object alive through the sink for ever.
    if (m_bCommandSinkRegistered)
    {
        (void)hostapi::UnregisterCommandSink(m_pFramework.Get(), m_nCookie);
        m_bCommandSinkRegistered = false;
    }
    LeaveCatalogue();
    m_pFramework.Reset();
    return S_OK;
}

void MimicPlugIn::LeaveCatalogue()
{
    // The catalogue outlives this object; it must not keep a framework that
    // is about to be released. Another object still initialised takes it
    // over; after the last one the host's commands for the actions go.
    std::vector<MimicPlugIn *> &objects = InitializedObjects();
    const auto self = std::find(objects.begin(), objects.end(), this);
    if (self == objects.end())
        return;
    objects.erase(self);
    ActionCatalogue &catalogue = ActionCatalogue::Instance();
    if (objects.empty())
        catalogue.RequestReload(ActionCatalogue::ReloadRequest::Withdraw);
    else if (catalogue.Framework() == m_pFramework.Get())
        catalogue.HandOverFramework(objects.front()->m_pFramework.Get());
}

STDMETHODIMP MimicPlugIn::OnPlugInOpened(REFCLSID rclsid, UINT nCookie)
{
    if (m_pRecorder)
        m_pRecorder->AttachDocument(rclsid, nCookie);
    if (IsEqualCLSID(rclsid, CLSID_HostPlugIn))
        (void)m_plugInSink.Register(m_pFramework.Get(), static_cast<IPlugIn *>(this));
    return S_OK;
}

STDMETHODIMP MimicPlugIn::OnPlugInClosed(REFCLSID rclsid, UINT nCookie)
{
    if (m_pRecorder)
        m_pRecorder->DetachDocument(rclsid, nCookie);
    if (IsEqualCLSID(rclsid, CLSID_HostPlugIn))
    {
        (void)m_plugInSink.Unregister(m_pFramework.Get());
        ActionCatalogue::Instance().RequestReload(ActionCatalogue::ReloadRequest::GlobalOnly);
    }
    return S_OK;
}

STDMETHODIMP MimicPlugIn::CreatePage(IUnknown *pFrameworkUnk, HWND hParent, long nFlags, HWND *phPage)
{
    if (!phPage)
        return E_POINTER;
    *phPage = nullptr;
    if (nFlags != 0)
        return S_OK;
    // The host may keep showing the page after it has released this object.
    std::unique_ptr<CMimicProperty> page(new (std::nothrow) CMimicProperty(pFrameworkUnk, hParent));
    if (!page)
        return E_OUTOFMEMORY;
    *phPage = CPropertyPage::CreateOwnedPageWindow(std::move(page), hParent);
    return S_OK;
}

} // namespace

HRESULT CreateMimicPlugIn(IUnknown *pOuter, REFIID riid, void **ppv)
{
    return AggregatableComObject<MimicPlugIn>::Create(pOuter, riid, ppv);
}

} // namespace mimic
