// A reference host with real folders: an installation, a designs folder and
// an open workspace, and the plug-in's own settings key in the registry.
#pragma once

#include <gtest/gtest.h>
#include <string>

#include "core/Raii.h"
#include "mimic.h"
#include "refhost/RefFramework.h"
#include "tests/support/TestFolders.h"

namespace testsupport {

class HostFixture : public ::testing::Test
{
protected:
    HostFixture()
        : host(refhost::RefFramework::Create()), installDir(temp / "inst"), designsDir(temp / "designs"),
          workDir(temp / "work"), localDir(workDir + "\\Actions"), globalDir(installDir + "\\Script\\Actions")
    {
        MakeFolder(localDir);
        MakeFolder(globalDir);
        MakeFolder(designsDir);
        host->SetInstallDir(installDir + "\\");
        host->SetDesignsDir(designsDir + "\\");
        host->OpenWorkspace(workDir + "\\proj.wsp");
    }

    IUnknown *Framework() const { return static_cast<IHostFramework *>(host.Get()); }

    void SetSetting(const char *name, const std::string &value)
    {
        mimic::UniqueHKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr,
                                    0, KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    }

    static std::string AddScript(const std::string &folder, const std::string &fileName,
                                 const std::string &text = "# action\n")
    {
        std::string path = folder + "\\" + fileName;
        WriteTextFile(path, text);
        return path;
    }

    static void WriteIni(const std::string &folder, const char *section, const char *key, const char *value)
    {
        ::WritePrivateProfileStringA(section, key, value, (folder + "\\mimic.ini").c_str());
    }

    TempFolder temp;
    mimic::ComPtr<refhost::RefFramework> host;
    std::string installDir, designsDir, workDir, localDir, globalDir;
};

} // namespace testsupport
