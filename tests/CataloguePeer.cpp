// Another copy of the plug-in on the shared global action folder ROOT\Script\Actions, for SharedCatalogueTest:
//   catalogue_peer ROOT save PREFIX FIRST ACCEL: records 30 actions PREFIX0.. (a script and its section each),
//     saves the ten actions from sFIRST on with new menu flags every third recording, and takes ACCEL away from
//     those that hold it every tenth;
//   catalogue_peer ROOT read STOPFILE: reloads the catalogue until STOPFILE exists; an action that had its values
//     must never show defaults.
// Exits with 0, or 1 after writing what went wrong to ROOT\peer-ROLE.txt.
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "library/ActionCatalogue.h"
#include "refhost/com/RefFramework.h"
#include "script/ScriptWriter.h"

namespace {

std::string g_root, g_role;

int Fail(const std::string &what)
{
    std::ofstream(g_root + "\\peer-" + g_role + ".txt") << what;
    return 1;
}

int Save(mimic::ActionCatalogue &catalogue, const std::string &prefix, int first, const std::string &accel)
{
    for (int i = 0; i < 30; ++i)
    {
        mimic::ActionEntry entry;
        entry.strName = prefix + std::to_string(i);
        entry.strPath = catalogue.GetGlobalPath() + "\\" + entry.strName + ".pl";
        entry.bGlobal = true;
        entry.nRepeat = i + 2;
        entry.strAccel = prefix + "+" + std::to_string(i);
        entry.bMenu = i % 2 != 0;
        mimic::ScriptWriter writer(catalogue);
        writer.SetEntry(&entry);
        if (FAILED(writer.Open(entry.strPath.c_str(), 0)))
            return Fail("recording " + entry.strName + ": " + catalogue.LastSaveError());
        writer.Close();

        if (i % 3 == 0)
        {
            std::vector<mimic::ActionEntry> toggled;
            for (mimic::ActionEntry &e : catalogue.Entries())
                if (const int n = std::atoi(e.strName.c_str() + 1); e.strName[0] == 's' && n >= first && n < first + 10)
                {
                    e.bMenu = (i / 3 + n) % 2 != 0;
                    toggled.push_back(e);
                }
            if (!catalogue.SaveEntries(toggled))
                return Fail("menu flags: " + catalogue.LastSaveError());
        }
        mimic::ActionEntry holder;
        holder.strAccel = accel;
        if (i % 10 == 9 && !catalogue.ClearAccel(holder))
            return Fail("hotkey: " + catalogue.LastSaveError());
    }
    return 0;
}

int Read(mimic::ActionCatalogue &catalogue, const std::string &stopFile)
{
    std::map<std::string, int> seen; // actions seen with their values
    for (int loads = 0; loads < 3 || ::GetFileAttributesA(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++loads)
    {
        catalogue.Reload(false);
        const std::string load = "load " + std::to_string(loads) + ": ";
        if (!catalogue.UnreadableFiles().empty())
            return Fail(load + "the file could not be read");
        for (const mimic::ActionEntry &e : catalogue.Entries())
            if (e.strName[0] == 's' ? e.nRepeat != 7 : seen.count(e.strName) && e.nRepeat != seen[e.strName])
                return Fail(load + e.strName + (e.strName[0] == 's' ? " shows defaults" : " lost its values"));
            else if (e.strName[0] != 's' && e.nRepeat != 0)
                seen[e.strName] = e.nRepeat;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    g_root = argv[1];
    g_role = argv[2] == std::string("save") ? argv[3] : argv[2];
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 0;
    {
        mimic::ComPtr<refhost::RefFramework> host = refhost::RefFramework::Create();
        host->SetInstallDir(g_root + "\\");
        mimic::ActionCatalogue catalogue;
        catalogue.SetFramework(static_cast<IHostFramework *>(host.Get()));
        if (g_role == "read")
            rc = Read(catalogue, argv[3]);
        else
            rc = argc == 6 ? Save(catalogue, argv[3], std::atoi(argv[4]), argv[5]) : 2;
    }
    ::CoUninitialize();
    return rc;
}
