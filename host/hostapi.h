// The host framework library as the plug-in calls it. Every service is
// reached through the framework pointer that the host gives the plug-in.
#pragma once

#include <windows.h>
#include <string>

#include "HostServices.h"

namespace hostapi {

// The framework's string type; the plug-in reads it as narrow text.
class KFString
{
public:
    KFString() = default;
    KFString(const char *psz) : m_text(psz ? psz : "") {}
    KFString(std::string text) : m_text(std::move(text)) {}
    operator const char *() const { return m_text.c_str(); }
    const std::string &str() const { return m_text; }
    bool IsEmpty() const { return m_text.empty(); }

private:
    std::string m_text;
};

// The plug-in's settings key, opened for reading and writing and created
// when missing; null when the host refuses it. The caller closes it.
HKEY GetPlugInRegKey(IUnknown *pFramework, REFCLSID rclsidPlugIn);

// Another host plug-in, when one of that class is open: S_OK and a
// reference in *ppv; otherwise a failure or S_FALSE and null.
HRESULT ConnectOpenPlugIn(IUnknown *pFramework, bool bCreate, REFCLSID rclsidPlugIn, REFIID riid,
                          void **ppv);

// The host's installation folder; empty when the host does not say.
KFString GetInstallDir(IUnknown *pFramework);

// The host's shared configuration; index 4 is the designs folder.
class KConfig
{
public:
    explicit KConfig(IUnknown *pFramework) : m_pFramework(pFramework) {}
    KFString GetString(int nIndex) const;

private:
    IUnknown *m_pFramework; // not owned
};
KConfig GetSharedConfig(IUnknown *pFramework);

// The command interpreter runs the line.
HRESULT RunCommand(IUnknown *pFramework, const char *pszCommandLine, const char *pszExtra);

HRESULT RegisterCommandSink(IUnknown *pFramework, UINT nCookie, IPlugInCommandSink *pSink);
HRESULT UnregisterCommandSink(IUnknown *pFramework, UINT nCookie);

// Registration of a plug-in with the host's plug-in events.
class KPlugInSink
{
public:
    KPlugInSink(REFCLSID rclsidPlugIn, REFCLSID rclsidSecond, REFIID riidEvents)
        : m_clsidPlugIn(rclsidPlugIn), m_clsidSecond(rclsidSecond), m_iidEvents(riidEvents)
    {
    }
    HRESULT Register(IUnknown *pFramework, IPlugIn *pPlugIn);
    HRESULT Unregister(IUnknown *pFramework);

private:
    CLSID m_clsidPlugIn;
    CLSID m_clsidSecond;
    IID m_iidEvents;
};

// The class's ProgID through the platform; false when it has none.
bool ProgIDFromCLSID(REFCLSID rclsid, KFString &progId);

} // namespace hostapi
