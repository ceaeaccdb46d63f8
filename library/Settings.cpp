#include "library/Settings.h"

#include "base/Registry.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/ActionEntry.h"
#include "mimic.h"

namespace mimic {

PlugInSettings::PlugInSettings(IUnknown *pFramework) : m_key(hostapi::GetPlugInRegKey(pFramework, CLSID_MimicPlugIn))
{
}

bool PlugInSettings::ReadNumber(const char *pszName, DWORD &value) const
{
    return ReadRegNumber(m_key.get(), pszName, value);
}

bool PlugInSettings::ReadText(const char *pszName, std::string &value) const
{
    return baseutil::ReadFromReg(m_key.get(), pszName, value);
}

void PlugInSettings::WriteNumber(const char *pszName, DWORD value) const
{
    (void)WriteRegNumber(m_key.get(), pszName, value);
}

void PlugInSettings::WriteText(const char *pszName, const std::string &value) const
{
    (void)baseutil::WriteToReg(m_key.get(), pszName, value.c_str());
}

std::string PlugInSettings::LocalFolder() const
{
    std::string folder;
    ReadText(setting::kLocalPath, folder);
    return folder.empty() ? setting::kWorkspaceFolder : folder;
}

std::string PlugInSettings::GlobalFolder() const
{
    std::string folder;
    ReadText(setting::kGlobalPath, folder);
    return folder.empty() ? setting::kDefaultGlobalPath : folder;
}

LastAction ReadLastAction(IUnknown *pFramework)
{
    LastAction last;
    PlugInSettings settings(pFramework);
    DWORD repeat = 0;
    settings.ReadText(setting::kLastMacroPath, last.strPath);
    // A count that no dialog could have stored (above the largest, or
    // negative) plays once, as 0 does.
    if (settings.ReadNumber(setting::kRepeatCount, repeat) && repeat != 0 && repeat <= kMaxRepeat)
        last.nRepeat = static_cast<int>(repeat);
    return last;
}

void StoreLastAction(IUnknown *pFramework, const std::string &scriptPath, int nRepeat)
{
    PlugInSettings settings(pFramework);
    settings.WriteText(setting::kLastMacroPath, scriptPath);
    settings.WriteNumber(setting::kRepeatCount, static_cast<DWORD>(nRepeat));
}

} // namespace mimic
