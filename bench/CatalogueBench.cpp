// ActionCatalogue::Load over 100, 1,000 and 5,000 actions (half local, half
// global, a third with ini sections) through the reference host: the time per
// action, how it grows with the catalogue, and how it compares with a bare
// FindFirstFileA enumeration of the same folders; with the ini files written
// long before, and just written. The three sizes take turns round by round,
// so that a busy machine slows them alike. Prints figures; asserts nothing.
#include <windows.h>
#include <algorithm>
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
        ini = MakeActions(where, count, true, 3, "");
        catalogue.SetFramework(where.Framework());
    }
    int count;
    BenchHost where;
    IniFiles ini;
    mimic::ActionCatalogue catalogue;
    std::vector<double> load, fresh, enumerate;
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

    // The files written long before, as at start-up; then just written, as
    // after a save.
    auto timeLoad = [](Size &size, std::vector<double> &samples) {
        size.catalogue.Reload(true); // withdraw, so that every load registers its commands anew
        const double t0 = Now();
        size.catalogue.Load();
        samples.push_back(Now() - t0);
        // action_00000 has a section with a repeat count of 2.
        const auto &entries = size.catalogue.Entries();
        size.complete = size.complete && size.catalogue.Count() == size.count &&
                        std::any_of(entries.begin(), entries.end(), [](const mimic::ActionEntry &e) {
                            return e.strName == "action_00000" && e.nRepeat == 2;
                        });
    };
    for (int round = 0; round < kRounds; ++round)
    {
        for (const auto &size : sizes)
        {
            timeLoad(*size, size->load);
            size->catalogue.Reload(true);
            const double t0 = Now();
            const int found = Enumerate(size->where.localDir) + Enumerate(size->where.globalDir);
            size->enumerate.push_back(Now() - t0);
            size->complete = size->complete && found == size->count;
        }
        for (const auto &size : sizes)
        {
            RestoreIni(size->ini);
            timeLoad(*size, size->fresh);
        }
        LetIniSettle();
    }

    const double firstUs = Median(sizes.front()->load) * 1e6 / sizes.front()->count;
    for (const auto &size : sizes)
    {
        const double load = Median(size->load), enumerate = Median(size->enumerate), fresh = Median(size->fresh);
        const double us = load * 1e6 / size->count;
        Row(Format("Catalogue Load, %d actions", size->count), Format("%.1f", us), "µs/action",
            Format("%.1f ms in all; ×%.2f per action of the 100-action figure; ×%.1f of FindFirstFileA "
                   "(%.2f ms); ini just written: %.1f ms (×%.1f); one read of each folder's ini; median of %d%s",
                   load * 1e3, us / firstUs, enumerate > 0 ? load / enumerate : 0.0, enumerate * 1e3, fresh * 1e3,
                   enumerate > 0 ? fresh / enumerate : 0.0, kRounds, size->complete ? "" : "; count mismatch!"));
    }
    ::CoUninitialize();
    return 0;
}
