// The reference host's framework object: the host side of every service the
// plug-in reaches through the framework pointer. Each service can be set up,
// withheld or made to refuse, and records what the plug-in asked of it.
#pragma once

#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostServices.h"
#include "base/Raii.h"
#include "refhost/com/CommandInterpreter.h"
#include "refhost/com/RefDocument.h"
#include "refhost/com/RefUnknown.h"

namespace refhost {

class RefConnectionPoint;

// One call the plug-in made on the accelerator service.
struct AccelCall
{
    enum Op { Find, Add, Remove, KeyLookup } op;
    std::string context; // "editor", "plugin", "global" or the GUID text
    UINT nCmdId;
    UINT nFlags;
};

// A menu the plug-in built through the host's menu service.
struct MenuItem
{
    long nValue;
    std::string text;
    CLSID clsid;
    UINT nCmdId;
};

class RefMenu final : public RefUnknown<IHostMenu>
{
public:
    RefMenu() = default;
    STDMETHODIMP AddItem(long nValue, LPCSTR pszText, REFCLSID rclsid, UINT nCmdId) override;

    const std::vector<MenuItem> &Items() const { return m_items; }

private:
    ~RefMenu() override = default;
    IUnknown *Interface(REFIID riid) override { return Find(riid, {{IID_IUnknown, this}, {IID_IHostMenu, this}}); }

    std::vector<MenuItem> m_items;
};

class RefFramework final : public RefUnknown<IHostFramework, IHostAccelerators, IHostMainWindow,
                                              IHostDocumentLookup, IHostMenuService, IConnectionPointContainer>
{
public:
    // A new framework with its own settings root under HKEY_CURRENT_USER;
    // the root is removed when the framework goes.
    static mimic::ComPtr<RefFramework> Create();

    // IHostFramework
    STDMETHODIMP GetPlugInSettingsKey(REFCLSID rclsidPlugIn, BSTR *pbstrKeyPath) override;
    STDMETHODIMP GetInstallDir(BSTR *pbstrDir) override;
    STDMETHODIMP GetConfigString(long nIndex, BSTR *pbstrValue) override;
    STDMETHODIMP RunCommand(BSTR bstrCommandLine, BSTR bstrExtra) override;
    STDMETHODIMP ConnectOpenPlugIn(BOOL bCreate, REFCLSID rclsidPlugIn, REFIID riid, IUnknown **ppv) override;
    STDMETHODIMP RegisterCommandSink(UINT nCookie, IPlugInCommandSink *pSink) override;
    STDMETHODIMP UnregisterCommandSink(UINT nCookie) override;
    STDMETHODIMP RegisterPlugInSink(REFCLSID rclsidPlugIn, REFCLSID rclsidSecond, REFIID riidEvents,
                                    IPlugIn *pPlugIn) override;
    STDMETHODIMP UnregisterPlugInSink(REFCLSID rclsidPlugIn, REFCLSID rclsidSecond, REFIID riidEvents) override;

    // IHostAccelerators
    STDMETHODIMP FindCommand(REFGUID rguidContext, UINT nCmdId, IUnknown **ppCommand) override;
    STDMETHODIMP AddCommand(REFGUID rguidContext, UINT nCmdId, UINT nFlags) override;
    STDMETHODIMP RemoveCommand(REFGUID rguidContext, UINT nCmdId) override;
    STDMETHODIMP GetCommandForKey(BYTE fVirt, WORD wKey, REFGUID rguidContext, BSTR *pbstrCommand) override;

    // IHostMainWindow
    STDMETHODIMP GetMainWindow(HWND *phWnd) override;

    // IHostDocumentLookup
    STDMETHODIMP GetDocument(UINT nCookie, REFIID riid, IUnknown **ppv) override;

    // IConnectionPointContainer: the plug-in notifications
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override;
    // Tell the advised plug-ins that a plug-in instance opened or closed.
    void NotifyPlugInOpened(REFCLSID rclsid, UINT nCookie);
    void NotifyPlugInClosed(REFCLSID rclsid, UINT nCookie);
    void RefuseNotifyAdvise(bool bRefuse);
    size_t NotifySinkCount() const;
    size_t CommandSinkCount() const { return m_commandSinks.size(); }
    // Plug-ins registered with the host's plug-in events, by their IPlugIn.
    size_t PlugInSinkCount() const { return m_plugInSinks.size(); }

    // IHostMenuService
    STDMETHODIMP CreateMenu(IHostMenu **ppMenu) override;
    void SetMenuServiceAvailable(bool bAvailable) { m_bMenuService = bAvailable; }
    // Every menu the plug-in had made, oldest first.
    const std::vector<mimic::ComPtr<RefMenu>> &Menus() const { return m_menus; }

    // --- Documents ---------------------------------------------------------
    // A document open under the cookie, of the editor's class unless another is named.
    RefDocument *OpenDocument(UINT nCookie, const std::string &file);
    RefDocument *OpenDocument(UINT nCookie, const std::string &file, REFCLSID rclsid);
    void CloseDocument(UINT nCookie);
    RefDocument *Document(UINT nCookie) const;
    // The open documents by cookie, ascending.
    std::vector<RefDocument *> Documents() const;
    // Registers a document class's ProgID for as long as this framework lives.
    void RegisterDocumentClass(REFCLSID rclsid, const std::string &progId);

    // --- Set-up --------------------------------------------------------
    void SetInstallDir(const std::string &dir) { m_installDir = dir; }
    void SetDesignsDir(const std::string &dir) { m_designsDir = dir; }
    // The workspace manager is open exactly while a workspace file is set.
    void OpenWorkspace(const std::string &workspaceFile);
    void CloseWorkspace();
    // The design manager is open exactly while a design folder is set.
    void OpenDesign(const std::string &designFolder);
    void CloseDesign();
    // Any other host plug-in, open or closed by class id.
    void OpenPlugIn(REFCLSID rclsid);
    void ClosePlugIn(REFCLSID rclsid);
    // References to an open host plug-in beyond the host's own; 0 when it is closed.
    LONG PlugInReferences(REFCLSID rclsid) const;
    // How often the plug-in asked whether one of that class is open.
    size_t PlugInAskCount(REFCLSID rclsid) const;

    void RefuseSettings(bool bRefuse) { m_bRefuseSettings = bRefuse; }
    void SetAcceleratorsAvailable(bool bAvailable) { m_bAccelerators = bAvailable; }
    void SetMainWindowAvailable(bool bAvailable) { m_bMainWindowService = bAvailable; }
    void SetMainWindow(HWND hWnd) { m_hMainWnd = hWnd; }
    // The document lookup answers every cookie with a failure from now on.
    void FailDocumentLookup(bool bFail) { m_bFailDocumentLookup = bFail; }
    // The command interpreter refuses every line from now on (each is still recorded).
    void FailRunCommand(bool bFail) { m_bFailRunCommand = bFail; }
    // The host's own command bound to a key in a context.
    void BindKey(REFGUID rguidContext, BYTE fVirt, WORD wKey, const std::string &command);

    // The plug-in's settings, for tests to set and read back.
    std::string SettingsKeyPath(REFCLSID rclsidPlugIn) const;
    const std::string &SettingsRoot() const { return m_settingsRoot; }

    // --- What the plug-in did ------------------------------------------
    bool KnowsCommand(REFGUID rguidContext, UINT nCmdId) const;
    size_t CommandCount(REFGUID rguidContext) const;
    const std::vector<AccelCall> &AccelCalls() const { return m_accelCalls; }
    void ClearAccelCalls() { m_accelCalls.clear(); }
    const std::vector<std::string> &CommandLines() const { return m_commandLines; }
    // From now on runscript commands also run, with perl and the stand-in modules.
    void RunScriptsWith(const std::string &perlLib, CommandInterpreter::StateProvider state)
    {
        m_interpreter.reset(new CommandInterpreter(perlLib, std::move(state)));
    }
    const std::vector<PlayRun> &PlayRuns() const { return m_playRuns; }

    static std::string ContextName(REFGUID rguid);

private:
    RefFramework();
    ~RefFramework() override;
    // Services can be withheld: the plug-in then runs without them.
    IUnknown *Interface(REFIID riid) override;

    std::string m_settingsRoot;
    std::string m_installDir;
    std::string m_designsDir;
    bool m_bRefuseSettings = false;
    bool m_bAccelerators = true;
    bool m_bMainWindowService = true;
    bool m_bMenuService = true;
    std::vector<mimic::ComPtr<RefMenu>> m_menus;
    HWND m_hMainWnd = nullptr;
    bool m_bFailDocumentLookup = false;
    bool m_bFailRunCommand = false;

    std::map<std::string, std::map<UINT, UINT>> m_commands; // context -> id -> flags
    std::map<std::string, std::string> m_keyBindings;        // context|fVirt|key -> command
    std::vector<AccelCall> m_accelCalls;
    std::vector<std::string> m_commandLines;
    std::unique_ptr<CommandInterpreter> m_interpreter;
    std::vector<PlayRun> m_playRuns;
    std::map<std::string, mimic::ComPtr<IUnknown>> m_openPlugIns; // class id text -> instance
    // Class id text -> times asked: a count, not a log, so that a host that runs for days does not grow it.
    std::map<std::string, size_t> m_plugInAsks;
    std::map<UINT, mimic::ComPtr<IPlugInCommandSink>> m_commandSinks;
    std::map<UINT, mimic::ComPtr<RefDocument>> m_documents;
    mimic::ComPtr<RefConnectionPoint> m_pNotifyPoint;
    std::vector<mimic::ComPtr<IPlugIn>> m_plugInSinks;
    std::vector<std::string> m_registeredKeys; // below HKEY_CLASSES_ROOT
};

} // namespace refhost
