#include "refhost/com/RefFramework.h"

#include <atomic>
#include <cstdio>

#include "base/Text.h"
#include "refhost/com/RefConnectionPoint.h"

using mimic::ComPtr;

namespace refhost {

namespace {

std::string GuidText(REFGUID rguid)
{
    char buf[40];
    std::snprintf(buf, sizeof(buf), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(rguid.Data1), rguid.Data2, rguid.Data3, rguid.Data4[0],
                  rguid.Data4[1], rguid.Data4[2], rguid.Data4[3], rguid.Data4[4], rguid.Data4[5],
                  rguid.Data4[6], rguid.Data4[7]);
    return buf;
}

// A new BSTR of the text for an out-parameter, which the caller frees.
HRESULT NewBstr(const std::string &text, BSTR *pbstr)
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = mimic::BstrFromNarrow(text);
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

// What the accelerator service hands out for a command it knows.
class HostCommand final : public RefUnknown<IUnknown>
{
    IUnknown *Interface(REFIID riid) override { return Find(riid, {{IID_IUnknown, this}}); }
};

// A plug-in of the host's own, open beside ours; the managers among them
// also answer their service interface.
template <typename... Services>
class HostPlugIn : public RefUnknown<IPlugIn, Services...>
{
public:
    STDMETHODIMP Install(IUnknown *, UINT) override { return S_OK; }
    STDMETHODIMP Initialize(IUnknown *, UINT) override { return S_OK; }
    STDMETHODIMP Close() override { return S_OK; }
};

class GenericPlugIn final : public HostPlugIn<>
{
    IUnknown *Interface(REFIID riid) override { return Find(riid, {{IID_IUnknown, this}, {IID_IPlugIn, this}}); }
};

// A manager of the host's that tells the plug-in its current workspace or design.
template <typename Service>
class ManagerObject : public HostPlugIn<Service>
{
public:
    explicit ManagerObject(std::string path) : m_path(std::move(path)) {}

protected:
    HRESULT CurrentPath(BSTR *pbstrPath) const { return NewBstr(m_path, pbstrPath); }

private:
    IUnknown *Interface(REFIID riid) override
    {
        IPlugIn *plugIn = this;
        Service *service = this;
        return this->Find(riid, {{IID_IUnknown, plugIn}, {IID_IPlugIn, plugIn}, {__uuidof(Service), service}});
    }

    std::string m_path;
};

class WorkspaceManagerObject final : public ManagerObject<IWorkspaceManager>
{
public:
    using ManagerObject::ManagerObject;
    STDMETHODIMP GetCurrentWorkspacePath(BSTR *pbstrPath) override { return CurrentPath(pbstrPath); }
};

class DesignManagerObject final : public ManagerObject<IDesignManager>
{
public:
    using ManagerObject::ManagerObject;
    STDMETHODIMP GetCurrentDesignFolder(BSTR *pbstrFolder) override { return CurrentPath(pbstrFolder); }
};

std::atomic<unsigned> g_nextRoot{0};

} // namespace

ComPtr<RefFramework> RefFramework::Create()
{
    return ComPtr<RefFramework>::Attach(new RefFramework());
}

RefFramework::RefFramework()
    : m_pNotifyPoint(ComPtr<RefConnectionPoint>::Attach(
          new RefConnectionPoint(static_cast<IConnectionPointContainer *>(this), IID_IHostPlugInNotify)))
{
    char root[96];
    std::snprintf(root, sizeof(root), "Software\\VantrelRefHost\\Run-%lu-%lu-%u",
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::GetTickCount()), g_nextRoot++);
    m_settingsRoot = root;
}

RefFramework::~RefFramework()
{
    m_pNotifyPoint->Orphan();
    for (const std::string &key : m_registeredKeys)
    {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_settingsRoot.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, m_settingsRoot.c_str());
}

IUnknown *RefFramework::Interface(REFIID riid)
{
    IHostFramework *framework = this;
    return Find(riid, {{IID_IUnknown, framework},
                       {IID_IHostFramework, framework},
                       {IID_IHostAccelerators, m_bAccelerators ? static_cast<IHostAccelerators *>(this) : nullptr},
                       {IID_IHostMainWindow, m_bMainWindowService ? static_cast<IHostMainWindow *>(this) : nullptr},
                       {IID_IHostDocumentLookup, static_cast<IHostDocumentLookup *>(this)},
                       {IID_IHostMenuService, m_bMenuService ? static_cast<IHostMenuService *>(this) : nullptr},
                       {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer *>(this)}});
}

std::string RefFramework::SettingsKeyPath(REFCLSID rclsidPlugIn) const
{
    return m_settingsRoot + "\\PlugIns\\" + GuidText(rclsidPlugIn);
}

STDMETHODIMP RefFramework::GetPlugInSettingsKey(REFCLSID rclsidPlugIn, BSTR *pbstrKeyPath)
{
    if (!pbstrKeyPath)
        return E_POINTER;
    *pbstrKeyPath = nullptr;
    if (m_bRefuseSettings)
        return E_ACCESSDENIED;
    *pbstrKeyPath = mimic::BstrFromNarrow(SettingsKeyPath(rclsidPlugIn));
    return *pbstrKeyPath ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP RefFramework::GetInstallDir(BSTR *pbstrDir)
{
    return NewBstr(m_installDir, pbstrDir);
}

STDMETHODIMP RefFramework::GetConfigString(long nIndex, BSTR *pbstrValue)
{
    if (!pbstrValue)
        return E_POINTER;
    *pbstrValue = nullptr;
    if (nIndex != 4)
        return E_INVALIDARG;
    *pbstrValue = mimic::BstrFromNarrow(m_designsDir);
    return *pbstrValue ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP RefFramework::RunCommand(BSTR bstrCommandLine, BSTR /*bstrExtra*/)
{
    m_commandLines.push_back(mimic::NarrowFromBstr(bstrCommandLine));
    if (m_bFailRunCommand)
        return E_FAIL;
    if (m_interpreter)
    {
        PlayRun run;
        if (!m_interpreter->Run(m_commandLines.back(), run))
            return E_INVALIDARG;
        m_playRuns.push_back(run);
        return run.result.finished && run.result.exitCode == 0 ? S_OK : E_FAIL;
    }
    return S_OK;
}

STDMETHODIMP RefFramework::ConnectOpenPlugIn(BOOL /*bCreate*/, REFCLSID rclsidPlugIn, REFIID riid, IUnknown **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    ++m_plugInAsks[GuidText(rclsidPlugIn)];
    // The host hands its plug-ins out by its plug-in interface only; the
    // caller asks that one for anything else.
    if (!IsEqualIID(riid, IID_IPlugIn))
        return E_NOINTERFACE;
    auto it = m_openPlugIns.find(GuidText(rclsidPlugIn));
    if (it == m_openPlugIns.end())
        return S_FALSE;
    return it->second->QueryInterface(riid, reinterpret_cast<void **>(ppv));
}

STDMETHODIMP RefFramework::RegisterCommandSink(UINT nCookie, IPlugInCommandSink *pSink)
{
    m_commandSinks[nCookie] = ComPtr<IPlugInCommandSink>(pSink);
    return S_OK;
}

STDMETHODIMP RefFramework::UnregisterCommandSink(UINT nCookie)
{
    return m_commandSinks.erase(nCookie) ? S_OK : S_FALSE;
}

STDMETHODIMP RefFramework::RegisterPlugInSink(REFCLSID, REFCLSID, REFIID, IPlugIn *pPlugIn)
{
    m_plugInSinks.push_back(ComPtr<IPlugIn>(pPlugIn));
    return S_OK;
}

STDMETHODIMP RefFramework::UnregisterPlugInSink(REFCLSID, REFCLSID, REFIID)
{
    if (m_plugInSinks.empty())
        return S_FALSE;
    m_plugInSinks.pop_back();
    return S_OK;
}

STDMETHODIMP RefFramework::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP RefFramework::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    if (!IsEqualIID(riid, IID_IHostPlugInNotify))
        return CONNECT_E_NOCONNECTION;
    *ppCP = m_pNotifyPoint.Get();
    m_pNotifyPoint->AddRef();
    return S_OK;
}

void RefFramework::NotifyPlugInOpened(REFCLSID rclsid, UINT nCookie)
{
    for (const ComPtr<IUnknown> &sink : m_pNotifyPoint->Sinks())
        static_cast<IHostPlugInNotify *>(sink.Get())->OnPlugInOpened(rclsid, nCookie);
}

void RefFramework::NotifyPlugInClosed(REFCLSID rclsid, UINT nCookie)
{
    for (const ComPtr<IUnknown> &sink : m_pNotifyPoint->Sinks())
        static_cast<IHostPlugInNotify *>(sink.Get())->OnPlugInClosed(rclsid, nCookie);
}

void RefFramework::RefuseNotifyAdvise(bool bRefuse)
{
    m_pNotifyPoint->m_bRefuseAdvise = bRefuse;
}

size_t RefFramework::NotifySinkCount() const
{
    return m_pNotifyPoint->m_sinks.size();
}

std::string RefFramework::ContextName(REFGUID rguid)
{
    if (IsEqualGUID(rguid, CLSID_EditorDocument))
        return "editor";
    if (IsEqualGUID(rguid, CLSID_HostPlugIn))
        return "plugin";
    if (IsEqualGUID(rguid, CLSID_HostGlobalCommands))
        return "global";
    return GuidText(rguid);
}

STDMETHODIMP RefFramework::FindCommand(REFGUID rguidContext, UINT nCmdId, IUnknown **ppCommand)
{
    if (!ppCommand)
        return E_POINTER;
    *ppCommand = nullptr;
    m_accelCalls.push_back({AccelCall::Find, ContextName(rguidContext), nCmdId, 0});
    if (!KnowsCommand(rguidContext, nCmdId))
        return S_FALSE;
    *ppCommand = new HostCommand();
    return S_OK;
}

STDMETHODIMP RefFramework::AddCommand(REFGUID rguidContext, UINT nCmdId, UINT nFlags)
{
    m_accelCalls.push_back({AccelCall::Add, ContextName(rguidContext), nCmdId, nFlags});
    m_commands[ContextName(rguidContext)][nCmdId] = nFlags;
    return S_OK;
}

STDMETHODIMP RefFramework::RemoveCommand(REFGUID rguidContext, UINT nCmdId)
{
    m_accelCalls.push_back({AccelCall::Remove, ContextName(rguidContext), nCmdId, 0});
    auto ctx = m_commands.find(ContextName(rguidContext));
    if (ctx == m_commands.end() || !ctx->second.erase(nCmdId))
        return S_FALSE;
    return S_OK;
}

static std::string KeyBindingName(REFGUID rguidContext, BYTE fVirt, WORD wKey)
{
    char buf[32];
    std::snprintf(buf, sizeof(buf), "|%u|%u", static_cast<unsigned>(fVirt), static_cast<unsigned>(wKey));
    return RefFramework::ContextName(rguidContext) + buf;
}

STDMETHODIMP RefFramework::GetCommandForKey(BYTE fVirt, WORD wKey, REFGUID rguidContext, BSTR *pbstrCommand)
{
    if (!pbstrCommand)
        return E_POINTER;
    *pbstrCommand = nullptr;
    m_accelCalls.push_back({AccelCall::KeyLookup, ContextName(rguidContext), wKey, fVirt});
    auto it = m_keyBindings.find(KeyBindingName(rguidContext, fVirt, wKey));
    if (it == m_keyBindings.end())
        return S_FALSE;
    *pbstrCommand = mimic::BstrFromNarrow(it->second);
    return *pbstrCommand ? S_OK : E_OUTOFMEMORY;
}

void RefFramework::BindKey(REFGUID rguidContext, BYTE fVirt, WORD wKey, const std::string &command)
{
    m_keyBindings[KeyBindingName(rguidContext, fVirt, wKey)] = command;
}

STDMETHODIMP RefFramework::GetMainWindow(HWND *phWnd)
{
    if (!phWnd)
        return E_POINTER;
    *phWnd = m_hMainWnd;
    return m_hMainWnd ? S_OK : E_FAIL;
}

STDMETHODIMP RefFramework::GetDocument(UINT nCookie, REFIID riid, IUnknown **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (m_bFailDocumentLookup)
        return E_FAIL;
    auto it = m_documents.find(nCookie);
    if (it == m_documents.end())
        return E_INVALIDARG;
    return it->second->QueryInterface(riid, reinterpret_cast<void **>(ppv));
}

STDMETHODIMP RefMenu::AddItem(long nValue, LPCSTR pszText, REFCLSID rclsid, UINT nCmdId)
{
    m_items.push_back({nValue, pszText ? pszText : "", rclsid, nCmdId});
    return S_OK;
}

STDMETHODIMP RefFramework::CreateMenu(IHostMenu **ppMenu)
{
    if (!ppMenu)
        return E_POINTER;
    ComPtr<RefMenu> menu = ComPtr<RefMenu>::Attach(new RefMenu());
    m_menus.push_back(menu);
    *ppMenu = menu.Get();
    menu->AddRef();
    return S_OK;
}

RefDocument *RefFramework::OpenDocument(UINT nCookie, const std::string &file)
{
    return OpenDocument(nCookie, file, CLSID_EditorDocument);
}

RefDocument *RefFramework::OpenDocument(UINT nCookie, const std::string &file, REFCLSID rclsid)
{
    ComPtr<RefDocument> doc = RefDocument::Create(nCookie, file, rclsid);
    RefDocument *raw = doc.Get();
    m_documents[nCookie] = doc;
    return raw;
}

void RefFramework::CloseDocument(UINT nCookie)
{
    m_documents.erase(nCookie);
}

std::vector<RefDocument *> RefFramework::Documents() const
{
    std::vector<RefDocument *> documents;
    for (const auto &d : m_documents)
        documents.push_back(d.second.Get());
    return documents;
}

RefDocument *RefFramework::Document(UINT nCookie) const
{
    auto it = m_documents.find(nCookie);
    return it == m_documents.end() ? nullptr : it->second.Get();
}

void RefFramework::RegisterDocumentClass(REFCLSID rclsid, const std::string &progId)
{
    // Class registrations are read from HKEY_CLASSES_ROOT (Wine does not merge
    // the user's classes into it).
    const std::string clsidText = GuidText(rclsid);
    const std::string clsidKey = "CLSID\\" + clsidText;
    auto setDefault = [](const std::string &path, const std::string &value) {
        mimic::UniqueHKey key;
        if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr) == ERROR_SUCCESS)
            ::RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    };
    setDefault(clsidKey + "\\ProgID", progId);
    setDefault(progId + "\\CLSID", clsidText);
    m_registeredKeys.push_back(clsidKey);
    m_registeredKeys.push_back(progId);
}

bool RefFramework::KnowsCommand(REFGUID rguidContext, UINT nCmdId) const
{
    auto ctx = m_commands.find(ContextName(rguidContext));
    return ctx != m_commands.end() && ctx->second.count(nCmdId) != 0;
}

size_t RefFramework::CommandCount(REFGUID rguidContext) const
{
    auto ctx = m_commands.find(ContextName(rguidContext));
    return ctx == m_commands.end() ? 0 : ctx->second.size();
}

void RefFramework::OpenWorkspace(const std::string &workspaceFile)
{
    m_openPlugIns[GuidText(CLSID_WorkspaceManager)] =
        ComPtr<IUnknown>::Attach(static_cast<IPlugIn *>(new WorkspaceManagerObject(workspaceFile)));
}

void RefFramework::CloseWorkspace()
{
    m_openPlugIns.erase(GuidText(CLSID_WorkspaceManager));
}

void RefFramework::OpenDesign(const std::string &designFolder)
{
    m_openPlugIns[GuidText(CLSID_DesignManager)] = ComPtr<IUnknown>::Attach(static_cast<IPlugIn *>(new DesignManagerObject(designFolder)));
}

void RefFramework::CloseDesign()
{
    m_openPlugIns.erase(GuidText(CLSID_DesignManager));
}

void RefFramework::OpenPlugIn(REFCLSID rclsid)
{
    m_openPlugIns[GuidText(rclsid)] = ComPtr<IUnknown>::Attach(static_cast<IPlugIn *>(new GenericPlugIn()));
}

void RefFramework::ClosePlugIn(REFCLSID rclsid)
{
    m_openPlugIns.erase(GuidText(rclsid));
}

LONG RefFramework::PlugInReferences(REFCLSID rclsid) const
{
    auto it = m_openPlugIns.find(GuidText(rclsid));
    if (it == m_openPlugIns.end())
        return 0;
    it->second->AddRef();
    return static_cast<LONG>(it->second->Release()) - 1;
}

size_t RefFramework::PlugInAskCount(REFCLSID rclsid) const
{
    auto it = m_plugInAsks.find(GuidText(rclsid));
    return it == m_plugInAsks.end() ? 0 : it->second;
}

} // namespace refhost
