// Saving actions in a growing catalogue: ActionCatalogue::ClearAccel, a batch
// save of menu flags (SaveEntries) and the Action Manager's OK over 100, 500
// and 1,000 actions in one folder, each saving a tenth of them, against one
// whole-file write of the same ini; with the ini written long before, and
// just written. The three sizes take turns round by round, so that a busy
// machine slows them alike. Prints figures; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <functional>
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

// Runs the Action Manager over the catalogue; every `every`-th Menu check
// box is flipped first (none with 0). The time from the dialog's OK command
// until it has saved and ended; with bClick, from the click on the button,
// whose press, focus change and painting come first.
double ManagerOk(const BenchHost &where, mimic::ActionCatalogue &catalogue, int every, bool bClick = false)
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
        if (bClick)
            w.Click(IDOK);
        else
            ::SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(w.Handle(), IDOK)));
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
const int kRounds = 7;

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
    std::vector<double> clear, clearFresh, batch, batchFresh, whole, wholeFresh, safe, profile, ok, walk, click;
    bool saved = true;
};

void ClearAccelRound(Size &size, std::vector<double> &samples)
{
    std::vector<mimic::ActionEntry> &entries = size.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].strAccel = i % kEvery ? "" : kAccel;
    const mimic::ActionEntry holder = entries.front();
    const double t0 = Now();
    size.saved = size.catalogue.ClearAccel(holder) && size.saved;
    samples.push_back(Now() - t0);

    const mimic::ActionEntry &lastHolder = entries[static_cast<size_t>(size.saves - 1) * kEvery];
    size.saved = size.saved && Key(size.iniPath, lastHolder, "Accel").empty() &&
                 Key(size.iniPath, entries[1], "Accel") == kAccel;
}

// The Action Manager's OK without the dialog: the toggled entries in one save.
void BatchRound(Size &size, std::vector<double> &samples)
{
    std::vector<mimic::ActionEntry> toggled;
    for (size_t i = 0; i < size.Entries().size(); i += kEvery)
    {
        size.Entries()[i].bMenu = false;
        toggled.push_back(size.Entries()[i]);
    }
    const double t0 = Now();
    size.saved = size.catalogue.SaveEntries(toggled) && size.saved;
    samples.push_back(Now() - t0);
    size.saved = size.saved && Key(size.iniPath, toggled.back(), "AddToMenu") == "0" &&
                 Key(size.iniPath, size.Entries()[1], "AddToMenu") == "1";
}

// What the platform's profile functions cost at least for one change: the
// whole file written once; and the same written beside it and moved over it
// in one step, as a save here does.
void WholeWrite(Size &size, std::vector<double> &plain, std::vector<double> &safe)
{
    // The unit of the saves before: one key changed through the profile functions.
    const std::string last = Format("action_%05d", size.count - 1);
    double t0 = Now();
    ::WritePrivateProfileStringA(last.c_str(), "PlayMode", "3", size.iniPath.c_str());
    size.profile.push_back(Now() - t0);

    const std::string bytes = ReadTextFile(size.iniPath), beside = size.iniPath + ".bench";
    t0 = Now();
    WriteTextFile(size.iniPath, bytes);
    plain.push_back(Now() - t0);
    t0 = Now();
    mimic::UniqueFile file(::CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    file.reset();
    ::MoveFileExA(beside.c_str(), size.iniPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    safe.push_back(Now() - t0);
}

void ManagerRound(Size &size)
{
    // A fresh list, as the Manager's own Refresh leaves it. (Without it, in
    // this program, OK's saves at 1,000 actions came out up to twice as dear
    // as ClearAccel's, which go the same way.)
    size.catalogue.Reload(false);
    size.walk.push_back(ManagerOk(size.where, size.catalogue, 0));
    size.click.push_back(ManagerOk(size.where, size.catalogue, 0, true));
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
    // Each operation on files written long before, then on files just written.
    auto eachSize = [&](bool bSettle, const std::function<void(Size &)> &run) {
        for (const auto &size : sizes)
            size->Restore();
        if (bSettle)
            LetIniSettle();
        for (const auto &size : sizes)
            run(*size);
    };
    for (int round = 0; round < kRounds; ++round)
    {
        eachSize(true, [](Size &size) { ClearAccelRound(size, size.clear); });
        eachSize(false, [](Size &size) { ClearAccelRound(size, size.clearFresh); });
        eachSize(true, [](Size &size) { BatchRound(size, size.batch); });
        eachSize(false, [](Size &size) { BatchRound(size, size.batchFresh); });
        eachSize(true, [](Size &size) { WholeWrite(size, size.whole, size.safe); });
        eachSize(false, [](Size &size) { WholeWrite(size, size.wholeFresh, size.safe); });
        eachSize(false, ManagerRound);
    }

    const Size &first = *sizes.front();
    const double clearFirst = Median(first.clear) / first.saves, okFirst = Median(first.ok) / first.saves;
    for (const auto &size : sizes)
    {
        const double clear = Median(size->clear), batch = Median(size->batch), whole = Median(size->whole);
        const double clearFresh = Median(size->clearFresh), batchFresh = Median(size->batchFresh);
        const double wholeFresh = Median(size->wholeFresh), safe = Median(size->safe), ok = Median(size->ok);
        const char *check = size->saved ? "" : "; not saved as expected!";
        Row(Format("ClearAccel, %d actions, %d hold the hotkey", size->count, size->saves),
            Format("%.1f", clear * 1e3), "ms",
            Format("×%.1f of one whole-file write of this ini (%.2f ms), ×%.1f of one moved into place (%.2f ms); ini "
                   "just written: %.1f ms, ×%.1f of a whole-file write (%.2f ms); %.0f µs per entry (×%.2f of the "
                   "100-action figure); median of %d%s",
                   clear / whole, whole * 1e3, clear / safe, safe * 1e3, clearFresh * 1e3, clearFresh / wholeFresh,
                   wholeFresh * 1e3, clear * 1e6 / size->saves, clear / size->saves / clearFirst, kRounds, check));
        Row(Format("Batch save (SaveEntries), %d actions, %d menu flags toggled", size->count, size->saves),
            Format("%.1f", batch * 1e3), "ms",
            Format("×%.1f of one whole-file write of this ini, ×%.1f of one moved into place; ini just written: %.1f ms, "
                   "×%.1f of a whole-file write; one locked change of the file; one key changed through the "
                   "profile functions: %.2f ms; median of %d%s",
                   batch / whole, batch / safe, batchFresh * 1e3, batchFresh / wholeFresh,
                   Median(size->profile) * 1e3, kRounds, check));
        Row(Format("Action Manager OK, %d actions, %d Menu boxes toggled", size->count, size->saves),
            Format("%.1f", ok * 1e3), "ms",
            Format("from the OK command: %.0f µs per toggled box (×%.2f of the 100-action figure); OK with nothing "
                   "toggled %.1f ms (the dialog walking its rows and closing), clicked %.1f ms; what the toggled "
                   "boxes add: %.1f ms, ×%.1f of one whole-file write, ×%.1f of one moved into place; median of %d%s",
                   ok * 1e6 / size->saves, ok / size->saves / okFirst, Median(size->walk) * 1e3,
                   Median(size->click) * 1e3, (ok - Median(size->walk)) * 1e3, (ok - Median(size->walk)) / whole,
                   (ok - Median(size->walk)) / safe, kRounds, check));
    }
    ::CoUninitialize();
    return 0;
}
