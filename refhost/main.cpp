// mimichost: the reference host. For now it sets up a host framework, hands
// it to the action catalogue as the plug-in would, and prints what the
// catalogue found and registered.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Raii.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "mimic.h"
#include "refhost/RefFramework.h"

namespace {

void Usage()
{
    std::printf("usage: mimichost [--install DIR] [--designs DIR] [--workspace FILE] [--design DIR]\n"
                "                 [--set NAME=VALUE]...\n"
                "Loads the action catalogue through a reference host framework and lists it.\n");
}

} // namespace

int main(int argc, char **argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 0;
    {
        mimic::ComPtr<refhost::RefFramework> host = refhost::RefFramework::Create();
        std::string installDir = "C:\\Vantrel\\";
        std::vector<std::pair<std::string, std::string>> settings;
        for (int i = 1; i < argc; ++i)
        {
            std::string arg = argv[i];
            const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
            if (arg == "--help" || arg == "-h")
            {
                Usage();
                return 0;
            }
            if (!value)
            {
                std::fprintf(stderr, "mimichost: %s needs a value\n", arg.c_str());
                Usage();
                return 2;
            }
            ++i;
            if (arg == "--install")
                installDir = value;
            else if (arg == "--designs")
                host->SetDesignsDir(value);
            else if (arg == "--workspace")
                host->OpenWorkspace(value);
            else if (arg == "--design")
                host->OpenDesign(value);
            else if (arg == "--set" && std::strchr(value, '='))
            {
                std::string s = value;
                settings.emplace_back(s.substr(0, s.find('=')), s.substr(s.find('=') + 1));
            }
            else
            {
                std::fprintf(stderr, "mimichost: unknown option %s\n", arg.c_str());
                Usage();
                return 2;
            }
        }
        host->SetInstallDir(installDir);

        if (!settings.empty())
        {
            mimic::UniqueHKey key;
            ::RegCreateKeyExA(HKEY_CURRENT_USER, host->SettingsKeyPath(CLSID_MimicPlugIn).c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, key.put(), nullptr);
            for (const auto &s : settings)
                baseutil::WriteToReg(key.get(), s.first.c_str(), s.second.c_str());
        }

        mimic::ActionCatalogue &catalogue = mimic::ActionCatalogue::Instance();
        catalogue.SetFramework(static_cast<IHostFramework *>(host.Get()));

        std::printf("Local folder:  %s\n", catalogue.GetLocalPath().c_str());
        std::printf("Global folder: %s\n", catalogue.GetGlobalPath().c_str());
        std::printf("%d action(s)\n", catalogue.Count());
        for (const mimic::ActionEntry &e : catalogue.Entries())
            std::printf("  %d  %-6s %-24s repeat %-4d hotkey %-12s menu %s  %s\n", e.nCmdId,
                        e.bGlobal ? "global" : "local", e.strName.c_str(), e.nRepeat,
                        e.strAccel.empty() ? "(none)" : e.strAccel.c_str(), e.bMenu ? "yes" : "no",
                        e.strPath.c_str());
        std::printf("Host commands registered: editor %u, plug-in %u\n",
                    static_cast<unsigned>(host->CommandCount(CLSID_EditorDocument)),
                    static_cast<unsigned>(host->CommandCount(CLSID_HostPlugIn)));
        catalogue.SetFramework(nullptr);
    }
    ::CoUninitialize();
    return rc;
}
