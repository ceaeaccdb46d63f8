// A reference host with real folders: an installation, a designs folder and
// an open workspace, and the plug-in's own settings key in the registry.
#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "base/Raii.h"
#include "host/baseutil.h"
#include "mimic.h"
#include "refhost/com/RefFramework.h"
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

    // The plug-in's settings key, straight from the registry: reachable even
    // while the host refuses it to the plug-in.
    mimic::UniqueHKey SettingsKey()
    {
        mimic::UniqueHKey key;
        EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr,
                                    0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    void SetSetting(const char *name, const std::string &value)
    {
        baseutil::WriteToReg(SettingsKey().get(), name, value.c_str());
    }
    void SetNumber(const char *name, DWORD value) { baseutil::WriteNumberToReg(SettingsKey().get(), name, value); }
    // A text setting; empty when absent.
    std::string Setting(const char *name)
    {
        std::string value;
        baseutil::ReadFromReg(SettingsKey().get(), name, value);
        return value;
    }
    std::optional<DWORD> Number(const char *name)
    {
        DWORD value = 0;
        return baseutil::ReadNumberFromReg(SettingsKey().get(), name, value) ? std::optional<DWORD>(value)
                                                                              : std::nullopt;
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

    // A script "# <name>" with its section; a null value leaves its key out.
    static void AddAction(const std::string &folder, const char *name, const char *repeat, const char *accel,
                          const char *menu)
    {
        AddScript(folder, std::string(name) + ".pl", std::string("# ") + name + "\n");
        const char *keys[] = {"PlayMode", "Accel", "AddToMenu"}, *values[] = {repeat, accel, menu};
        for (int i = 0; i < 3; ++i)
            if (values[i])
                WriteIni(folder, name, keys[i], values[i]);
    }

    TempFolder temp;
    mimic::ComPtr<refhost::RefFramework> host;
    std::string installDir, designsDir, workDir, localDir, globalDir;
};

} // namespace testsupport
