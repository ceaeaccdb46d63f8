// Saving actions in a growing catalogue: ActionCatalogue::ClearAccel and the
// Action Manager's OK over 100, 500 and 1,000 actions in one folder, each
// saving a tenth of them. Every save writes four keys through the platform's
// profile functions, so the figures show how a save's cost grows with the
// ini file behind it. The three sizes take turns round by round, so that a
// busy machine slows them alike. Prints figures; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "host/GridCtrl.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "refhost/driver/ModalDriver.h"
#include "ui/TaskManager.h"
#include "ui/resource.h"

using namespace bench;

namespace {

const char kAccel[] = "Ctrl+5";

// One profile write to the last section of the ini with a new value, which
// the platform writes out, and one with the value it already holds.
void ProfileWrite(const std::string &ini, int count, std::vector<double> &changed, std::vector<double> &unchanged)
{
    const std::string section = Format("action_%05d", count - 1);
    for (const char *value : {"3", "2"})
    {
        double t0 = Now();
        ::WritePrivateProfileStringA(section.c_str(), "PlayMode", value, ini.c_str());
        changed.push_back(Now() - t0);
        t0 = Now();
        ::WritePrivateProfileStringA(section.c_str(), "PlayMode", value, ini.c_str());
        unchanged.push_back(Now() - t0);
    }
}

// Runs the Action Manager over the catalogue; every `every`-th Menu check
// box is flipped first (none with 0). The time from the click on OK until the
// dialog has saved and ended.
double ManagerOk(const BenchHost &where, mimic::ActionCatalogue &catalogue, int every)
{
    double seconds = 0;
    refhost::ModalDriver driver(600000);
    driver.Expect("Action Manager", [&](refhost::ModalWindow &w) {
        KGridCtrl grid;
        grid.Attach(::GetDlgItem(w.Handle(), IDC_TM_GRID));
        int row = 0;
        for (auto it = grid.begin(GCRS_ALL); every && it != grid.end(); ++it)
        {
            if (row++ % every)
                continue;
            GC_ITEM check;
            check.mask = GCIF_CHECK;
            check.row = *it;
            check.column = 3;
            grid.GetItem(check);
            check.checkState = !check.checkState;
            grid.SetItem(check);
        }
        const double t0 = Now();
        w.Click(IDOK);
        seconds = Now() - t0;
    });
    mimic::CTaskManager manager(where.Framework(), nullptr, catalogue);
    manager.DoModal();
    return seconds;
}

std::string Key(const std::string &ini, const mimic::ActionEntry &entry, const char *key)
{
    return baseutil::GetPrivateProfileStringA(entry.strName.c_str(), key, "?", ini.c_str());
}

// A tenth of the actions take part, as with the hotkeys Ctrl+0 to Ctrl+9
// that new actions are offered in turn.
const int kEvery = 10;
const int kRounds = 5;

struct Size
{
    explicit Size(int n)
        : count(n), saves(n / kEvery), where(Format("saves-%d", n).c_str()),
          ini(MakeActions(where, count, false, 1, kAccel)), iniPath(ini.front().first)
    {
        catalogue.SetFramework(where.Framework());
    }
    std::vector<mimic::ActionEntry> &Entries() { return catalogue.Entries(); }
    // The ini file as made, and the list as the file says.
    void Restore()
    {
        RestoreIni(ini);
        for (mimic::ActionEntry &entry : Entries())
        {
            entry.strAccel = kAccel;
            entry.bMenu = true;
        }
    }

    int count, saves;
    BenchHost where;
    IniFiles ini;
    std::string iniPath;
    mimic::ActionCatalogue catalogue;
    std::vector<double> clear, ok, walk, changed, unchanged;
    bool saved = true;
};

void ClearAccelRound(Size &size)
{
    size.Restore();
    std::vector<mimic::ActionEntry> &entries = size.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].strAccel = i % kEvery ? "" : kAccel;
    const mimic::ActionEntry holder = entries.front();
    const double t0 = Now();
    size.catalogue.ClearAccel(holder);
    size.clear.push_back(Now() - t0);

    const mimic::ActionEntry &lastHolder = entries[static_cast<size_t>(size.saves - 1) * kEvery];
    size.saved = size.saved && Key(size.iniPath, lastHolder, "Accel").empty() &&
                 Key(size.iniPath, entries[1], "Accel") == kAccel;
    // Right after those saves the file counts as just written, as it does
    // between the saves themselves.
    ProfileWrite(size.iniPath, size.count, size.changed, size.unchanged);
}

void ManagerRound(Size &size)
{
    size.Restore();
    // A fresh list, as the Manager's own Refresh leaves it. (Without it, in
    // this program, OK's saves at 1,000 actions came out up to twice as dear
    // as ClearAccel's, which go the same way.)
    size.catalogue.Reload(false);
    size.walk.push_back(ManagerOk(size.where, size.catalogue, 0));
    size.ok.push_back(ManagerOk(size.where, size.catalogue, kEvery));
    std::vector<mimic::ActionEntry> &entries = size.Entries();
    const mimic::ActionEntry &lastHolder = entries[static_cast<size_t>(size.saves - 1) * kEvery];
    size.saved = size.saved && Key(size.iniPath, lastHolder, "AddToMenu") == "0" &&
                 Key(size.iniPath, entries[1], "AddToMenu") == "1";
}

} // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    std::vector<std::unique_ptr<Size>> sizes;
    for (const int count : {100, 500, 1000})
        sizes.emplace_back(new Size(count));
    for (int round = 0; round < kRounds; ++round)
    {
        for (const auto &size : sizes)
            ClearAccelRound(*size);
        for (const auto &size : sizes)
            ManagerRound(*size);
    }

    const Size &first = *sizes.front();
    const double clearFirst = Median(first.clear) / first.saves, okFirst = Median(first.ok) / first.saves;
    for (const auto &size : sizes)
    {
        const double clear = Median(size->clear), ok = Median(size->ok);
        const char *check = size->saved ? "" : "; not saved as expected!";
        Row(Format("ClearAccel, %d actions, %d hold the hotkey", size->count, size->saves),
            Format("%.1f", clear * 1e3), "ms",
            Format("%.0f µs per save (×%.2f of the 100-action figure); one profile write to this ini: %.0f µs "
                   "changed, %.0f µs unchanged; median of %d%s",
                   clear * 1e6 / size->saves, clear / size->saves / clearFirst, Median(size->changed) * 1e6,
                   Median(size->unchanged) * 1e6, kRounds, check));
        Row(Format("Action Manager OK, %d actions, %d Menu boxes toggled", size->count, size->saves),
            Format("%.1f", ok * 1e3), "ms",
            Format("%.0f µs per save (×%.2f of the 100-action figure); OK with nothing toggled %.1f ms; "
                   "median of %d%s",
                   ok * 1e6 / size->saves, ok / size->saves / okFirst, Median(size->walk) * 1e3, kRounds, check));
    }
    ::CoUninitialize();
    return 0;
}
