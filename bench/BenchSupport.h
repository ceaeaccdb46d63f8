// What the benchmarks share: a clock and medians, scratch folders filled with
// actions, the reference host set up on them, mimic.dll loaded the way a host
// loads it, and the result rows that scripts/bench.sh gathers into one table.
#pragma once

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

#include "base/Raii.h"
#include "mimic.h"
#include "refhost/com/RefFramework.h"

namespace bench {

// Seconds, from the performance counter.
double Now();
double Median(std::vector<double> samples);

// Runs `run` `reps` times; each run returns the seconds it measured itself,
// so that its set-up stays out of the figure. The median of them.
template <typename Run>
double MedianSeconds(int reps, Run run)
{
    std::vector<double> samples;
    for (int r = 0; r < reps; ++r)
        samples.push_back(run());
    return Median(std::move(samples));
}

std::string Format(const char *fmt, ...);

// One line of the final table; scripts/bench.sh picks these lines out of
// everything a benchmark prints.
void Row(const std::string &name, const std::string &figure, const std::string &unit, const std::string &notes);

// The host passes narrow text where the type library says LPWSTR.
inline LPWSTR NarrowArg(const std::string &text)
{
    return reinterpret_cast<LPWSTR>(const_cast<char *>(text.c_str()));
}

void MakeFolder(const std::string &path); // with its parents
void RemoveTree(const std::string &path);
void WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);

// An installation with its global action folder and an open workspace with
// its local one, in a scratch folder under %TEMP% that goes with the object.
// The plug-in's folder settings stay at their defaults, which name exactly
// these two folders.
class BenchHost
{
public:
    explicit BenchHost(const char *tag);
    ~BenchHost();
    BenchHost(const BenchHost &) = delete;
    BenchHost &operator=(const BenchHost &) = delete;

    // A fresh framework on the same folders: no settings, no commands known.
    void NewHost();
    IUnknown *Framework() const { return static_cast<IHostFramework *>(host.Get()); }
    void SetNumber(const char *name, DWORD value);

    std::string root, install, work, local, global;
    mimic::ComPtr<refhost::RefFramework> host;
};

// The ini files as MakeActions wrote them, to put back between runs that
// change them.
using IniFiles = std::vector<std::pair<std::string, std::string>>;
void RestoreIni(const IniFiles &files);

// `count` scripts action_00000.pl and up: all in the local folder, or
// alternately local and global. Every `sectionEvery`-th one gets an ini
// section with repeat count 2, the hotkey text `accel` and a menu entry. Each
// ini file is written whole, as the profile functions would leave it.
IniFiles MakeActions(const BenchHost &where, int count, bool bothFolders, int sectionEvery, const std::string &accel);

// Wine's profile functions do not trust their cache for a file written in
// the last 2.1 seconds and parse it again on every call. Waiting that long
// lets a figure show the usual case, an ini file written long before.
void LetIniSettle();

// mimic.dll, loaded and asked for its object as a host does.
class PlugInDll
{
public:
    PlugInDll() = default;
    ~PlugInDll();
    PlugInDll(const PlugInDll &) = delete;
    PlugInDll &operator=(const PlugInDll &) = delete;

    static std::string Path();
    bool Load();
    bool Create();
    // Releases the object (the caller has closed it) and frees the library;
    // false when the module did not agree to unload.
    bool Unload();

    mimic::ComPtr<IPlugIn> plugIn;
    mimic::ComPtr<IMimic> mimic;

private:
    HMODULE m_dll = nullptr;
    HRESULT(STDAPICALLTYPE *m_getClassObject)(REFCLSID, REFIID, void **) = nullptr;
    HRESULT(STDAPICALLTYPE *m_canUnloadNow)() = nullptr;
};

} // namespace bench
