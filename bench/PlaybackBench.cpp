// IMimic::PlayLastMacro over a list of 10,000 files, through mimic.dll as the
// host loads it. The reference host only records each play command line
// (no script runs), and the time that recording takes, measured by calling
// the host's RunCommand with the same lines, is taken off: what is left is
// the plug-in's own work. Prints figures; asserts nothing.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "host/hostapi.h"

using namespace bench;

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int kFiles = 10000, kReps = 7;
    BenchHost where("play");
    PlugInDll dll;
    if (!dll.Load() || !dll.Create() || dll.plugIn->Initialize(where.Framework(), 9) != S_OK)
    {
        std::printf("cannot start %s\n", PlugInDll::Path().c_str());
        return 1;
    }
    const std::string script = where.localDir + "\\fix.pl";
    {
        mimic::UniqueHKey key(hostapi::GetPlugInRegKey(where.Framework(), CLSID_MimicPlugIn));
        baseutil::WriteToReg(key.get(), "Last Macro Path", script.c_str());
        baseutil::WriteNumberToReg(key.get(), "Defaul Repeat Count", 3);
    }
    std::string list;
    for (int i = 0; i < kFiles; ++i)
        list += Format("%sC:\\Designs\\board_%05d.bde", i ? "\n" : "", i);
    mimic::UniqueBstr files(mimic::BstrFromNarrow(list));

    const double play = MedianSeconds(kReps, [&] {
        BSTR b = files.get();
        const double t0 = Now();
        dll.mimic->PlayLastMacro(&b);
        return Now() - t0;
    });
    const std::vector<std::string> &lines = where.host->CommandLines();
    const bool complete = lines.size() == static_cast<size_t>(kFiles * kReps) &&
                          lines.back() == Format("runscript -perl {%s} -1 {C:\\Designs\\board_%05d.bde} 3",
                                                 script.c_str(), kFiles - 1);

    std::vector<mimic::UniqueBstr> commands;
    for (int i = 0; i < kFiles; ++i)
        commands.emplace_back(mimic::BstrFromNarrow(lines[i]));
    mimic::UniqueBstr extra(mimic::BstrFromNarrow(""));
    const double host = MedianSeconds(kReps, [&] {
        const double t0 = Now();
        for (const mimic::UniqueBstr &command : commands)
            where.host->RunCommand(command.get(), extra.get());
        return Now() - t0;
    });
    dll.plugIn->Close();
    dll.Unload();

    Row("PlayLastMacro, 10000 files", Format("%.2f", (play - host) * 1e6 / kFiles), "µs/file",
        Format("plug-in's share: the call takes %.1f ms, the host recording the lines %.1f ms of it; median of %d%s",
               play * 1e3, host * 1e3, kReps, complete ? "" : "; wrong command lines!"));
    ::CoUninitialize();
    return 0;
}
