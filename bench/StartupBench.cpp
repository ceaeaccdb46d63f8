// Start-up as the host sees it: LoadLibrary of the built mimic.dll, its class
// object, the plug-in object and IPlugIn::Initialize, with an empty catalogue
// and with 1,000 actions. Every run gets a fresh host framework and frees the
// library again. Prints figures; asserts nothing.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

using namespace bench;

namespace {

struct Start
{
    double load = 0; // LoadLibrary
    double init = 0; // class object, object, Initialize
    bool ok = false;
};

Start StartOnce(BenchHost &where)
{
    Start s;
    where.NewHost();
    PlugInDll dll;
    const double t0 = Now();
    const bool loaded = dll.Load();
    const double t1 = Now();
    const bool started = loaded && dll.Create() && dll.plugIn->Initialize(where.Framework(), 9) == S_OK;
    const double t2 = Now();
    s.load = t1 - t0;
    s.init = t2 - t1;
    if (dll.plugIn)
        dll.plugIn->Close();
    s.ok = dll.Unload() && started;
    return s;
}

} // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int kReps = 7;
    BenchHost where("startup");

    // The first start in the process also loads the system libraries that
    // mimic.dll needs and this program does not.
    const Start first = StartOnce(where);
    // A host with a user interface has them loaded long before it loads a
    // plug-in: keep them, so that the figures below are mimic.dll's own.
    for (const char *name : {"comctl32.dll", "comdlg32.dll", "gdi32.dll", "shell32.dll"})
        ::LoadLibraryA(name);

    for (const int count : {0, 1000})
    {
        if (count)
        {
            MakeActions(where, count, true, 3, "");
            LetIniSettle();
        }
        std::vector<double> load, init;
        bool ok = first.ok;
        const double total = MedianSeconds(kReps, [&] {
            const Start s = StartOnce(where);
            load.push_back(s.load);
            init.push_back(s.init);
            ok = ok && s.ok;
            return s.load + s.init;
        });
        const std::string firstNote =
            count ? std::string()
                  : Format("; the first start in the process, loading mimic.dll's system libraries too: %.2f ms",
                           (first.load + first.init) * 1e3);
        Row(Format("Start-up, %s: LoadLibrary to Initialize", count ? "1000 actions" : "empty catalogue"),
            Format("%.2f", total * 1e3), "ms",
            Format("LoadLibrary %.2f ms, object and Initialize %.2f ms; median of %d, each with a fresh host%s%s",
                   Median(load) * 1e3, Median(init) * 1e3, kReps, firstNote.c_str(),
                   ok ? "" : "; start-up or unload failed!"));
    }
    ::CoUninitialize();
    return 0;
}
