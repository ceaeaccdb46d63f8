// ActionCatalogue::Load over 100, 1,000 and 5,000 actions (half local, half
// global, a third with ini sections) through the reference host: the time per
// action, how it grows with the catalogue, and how it compares with a bare
// FindFirstFileA enumeration of the same folders. The three sizes take turns
// round by round, so that a busy machine slows them alike. Prints figures;
// asserts nothing.
#include <windows.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "library/ActionCatalogue.h"

using namespace bench;

namespace {

const int kRounds = 5;

int Enumerate(const std::string &folder)
{
    int n = 0;
    WIN32_FIND_DATAA fd;
    mimic::UniqueFind find(::FindFirstFileA((folder + "\\*.pl").c_str(), &fd));
    if (!find)
        return 0;
    do
        ++n;
    while (::FindNextFileA(find.get(), &fd));
    return n;
}

struct Size
{
    explicit Size(int n) : count(n), where(Format("catalogue-%d", n).c_str())
    {
        MakeActions(where, count, true, 3, "");
        catalogue.SetFramework(where.Framework());
    }
    int count;
    BenchHost where;
    mimic::ActionCatalogue catalogue;
    std::vector<double> load, enumerate, read;
    bool complete = true;
};

} // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::unique_ptr<Size>> sizes;
    for (const int count : {100, 1000, 5000})
        sizes.emplace_back(new Size(count));
    LetIniSettle();

    for (int round = 0; round < kRounds; ++round)
    {
        for (const auto &size : sizes)
        {
            size->catalogue.Reload(true); // withdraw, so that every load registers its commands anew
            double t0 = Now();
            size->catalogue.Load();
            size->load.push_back(Now() - t0);
            size->complete = size->complete && size->catalogue.Count() == size->count;
            size->catalogue.Reload(true);

            t0 = Now();
            const int found = Enumerate(size->where.localDir) + Enumerate(size->where.globalDir);
            size->enumerate.push_back(Now() - t0);
            size->complete = size->complete && found == size->count;

            // What each of the three reads per action costs on its own.
            const std::string ini = size->where.localDir + "\\mimic.ini";
            for (int i = 0; i < 41; ++i)
            {
                char value[64];
                t0 = Now();
                ::GetPrivateProfileStringA("action_00000", "Accel", "", value, sizeof(value), ini.c_str());
                size->read.push_back(Now() - t0);
            }
        }
    }

    const double firstUs = Median(sizes.front()->load) * 1e6 / sizes.front()->count;
    for (const auto &size : sizes)
    {
        const double load = Median(size->load), enumerate = Median(size->enumerate);
        const double us = load * 1e6 / size->count;
        Row(Format("Catalogue Load, %d actions", size->count), Format("%.1f", us), "µs/action",
            Format("%.1f ms in all; ×%.2f per action of the 100-action figure; ×%.0f of FindFirstFileA "
                   "(%.2f ms); one profile read %.0f µs, 3 per action; median of %d%s",
                   load * 1e3, us / firstUs, enumerate > 0 ? load / enumerate : 0.0, enumerate * 1e3,
                   Median(size->read) * 1e6, kRounds, size->complete ? "" : "; count mismatch!"));
    }
    ::CoUninitialize();
    return 0;
}
