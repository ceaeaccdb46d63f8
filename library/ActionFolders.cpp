// Where the two action folders are: their registry settings and the macros
// and workspace or design forms a setting may hold.
#include "library/ActionCatalogue.h"

#include "base/Paths.h"
#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/Settings.h"

namespace mimic {

namespace {

const char kVantrelMacro[] = "$(VANTREL)";
const char kDesignsMacro[] = "$(DESIGNS)";

// The macro and the one character after it (normally the backslash that the
// host's folder text already ends with) give way to the folder text.
void ReplaceMacro(std::string &text, size_t pos, size_t macroLen, const std::string &value)
{
    size_t count = macroLen + (pos + macroLen < text.size() ? 1 : 0);
    text.replace(pos, count, value);
}

// An open host plug-in, asked for as the host hands its plug-ins out: by
// the host's plug-in interface. Null when it is not open.
ComPtr<IUnknown> OpenHostPlugIn(IUnknown *pFramework, REFCLSID rclsid)
{
    ComPtr<IUnknown> plugIn;
    if (hostapi::ConnectOpenPlugIn(pFramework, false, rclsid, IID_IPlugIn, plugIn.PutVoid()) != S_OK)
        plugIn.Reset();
    return plugIn;
}

template <typename Manager, typename Ask>
bool AskOpenManager(IUnknown *pFramework, REFCLSID rclsid, REFIID riid, Ask ask, std::string &answer)
{
    ComPtr<IUnknown> plugIn = OpenHostPlugIn(pFramework, rclsid);
    ComPtr<Manager> manager;
    if (!plugIn || FAILED(plugIn->QueryInterface(riid, manager.PutVoid())) || !manager)
        return false;
    UniqueBstr value;
    if (FAILED(ask(manager.Get(), value.put())))
        return false;
    answer = NarrowFromBstr(value.get());
    return true;
}

} // namespace

LocalFolderHosts::LocalFolderHosts(IUnknown *pFramework)
    : m_workspace(OpenHostPlugIn(pFramework, CLSID_WorkspaceManager)),
      m_hostPlugIn(OpenHostPlugIn(pFramework, CLSID_HostPlugIn))
{
}

void ActionCatalogue::ExpandMacros(std::string &folder)
{
    if (folder.empty() || !m_pFramework)
        return;

    size_t pos = folder.find(kVantrelMacro);
    if (pos != std::string::npos)
    {
        ReplaceMacro(folder, pos, sizeof(kVantrelMacro) - 1, std::string(hostapi::GetInstallDir(m_pFramework)));
        return;
    }

    // A manager that is open but names no folder leaves the setting as it
    // is: "\Actions" would be a folder at the root of the drive.
    if (folder.find(setting::kDesignFolder) != std::string::npos)
    {
        std::string design;
        if (AskOpenManager<IDesignManager>(
                m_pFramework, CLSID_DesignManager, IID_IDesignManager,
                [](IDesignManager *m, BSTR *out) { return m->GetCurrentDesignFolder(out); }, design) &&
            !design.empty())
            folder = design + "\\Actions";
        return;
    }

    if (folder.find(setting::kWorkspaceFolder) != std::string::npos)
    {
        std::string workspace;
        if (AskOpenManager<IWorkspaceManager>(
                m_pFramework, CLSID_WorkspaceManager, IID_IWorkspaceManager,
                [](IWorkspaceManager *m, BSTR *out) { return m->GetCurrentWorkspacePath(out); }, workspace))
        {
            size_t slash = workspace.find_last_of('\\');
            if (slash != std::string::npos && slash > 0)
                folder = workspace.substr(0, slash) + "\\Actions";
        }
        return;
    }

    pos = folder.find(kDesignsMacro);
    if (pos != std::string::npos)
        ReplaceMacro(folder, pos, sizeof(kDesignsMacro) - 1,
                     std::string(hostapi::GetSharedConfig(m_pFramework).GetString(4)));
}

std::string ActionCatalogue::GetGlobalPath()
{
    if (!m_globalFolder.empty() && m_globalFolder[0] == '$')
        ExpandMacros(m_globalFolder);
    return m_globalFolder;
}

std::string ActionCatalogue::GetLocalPath()
{
    if (!m_localFolder.empty() && m_localFolder[0] == '$')
        ExpandMacros(m_localFolder);
    return m_localFolder;
}

std::string ActionCatalogue::GetFolder(bool bGlobal)
{
    const std::string folder = bGlobal ? GetGlobalPath() : GetLocalPath();
    return IsRootedPath(folder) ? folder : std::string();
}

std::string ActionCatalogue::FolderError(bool bGlobal)
{
    const std::string folder = bGlobal ? GetGlobalPath() : GetLocalPath();
    const std::string which = bGlobal ? "the global action folder" : "the local action folder";
    return folder.empty() ? which + " is not known" : which + " \"" + folder + "\" is not a full path";
}

} // namespace mimic
