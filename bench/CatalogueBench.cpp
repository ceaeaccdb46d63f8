// Loads catalogues of 1,000 and 5,000 actions through the reference host and
// compares the time per action with a bare FindFirstFileA enumeration of the
// same folders. Prints figures; asserts nothing.
#include <windows.h>
#include <cstdio>
#include <string>

#include "core/Raii.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "mimic.h"
#include "refhost/RefFramework.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\" + name);
            else
                ::DeleteFileA((path + "\\" + name).c_str());
        } while (::FindNextFileA(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

// Half the actions local, half global; every third has an ini section.
void MakeActions(const std::string &local, const std::string &global, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const std::string &folder = (i % 2) ? global : local;
        char name[32];
        std::snprintf(name, sizeof(name), "action_%05d", i);
        std::string path = folder + "\\" + name + ".pl";
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(h);
        if (i % 3 == 0)
        {
            std::string ini = folder + "\\mimic.ini";
            ::WritePrivateProfileStringA(name, "PlayMode", "2", ini.c_str());
            ::WritePrivateProfileStringA(name, "Accel", "", ini.c_str());
            ::WritePrivateProfileStringA(name, "FilePath", path.c_str(), ini.c_str());
            ::WritePrivateProfileStringA(name, "AddToMenu", "1", ini.c_str());
        }
    }
}

int Enumerate(const std::string &folder)
{
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((folder + "\\*.pl").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++n;
    while (::FindNextFileA(find, &fd));
    ::FindClose(find);
    return n;
}

} // namespace

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::printf("%-8s %12s %14s %14s %8s\n", "actions", "load ms", "us/action", "enumerate ms", "ratio");
    for (int count : {1000, 5000})
    {
        std::string root = std::string(temp) + "mimic-bench-" + std::to_string(count);
        RemoveTree(root);
        std::string install = root + "\\inst";
        std::string local = root + "\\work\\Actions";
        std::string global = install + "\\Script\\Actions";
        for (const std::string &d : {root, install, install + "\\Script", global, root + "\\work", local})
            ::CreateDirectoryA(d.c_str(), nullptr);
        MakeActions(local, global, count);

        mimic::ComPtr<refhost::RefFramework> host = refhost::RefFramework::Create();
        host->SetInstallDir(install + "\\");
        host->OpenWorkspace(root + "\\work\\proj.wsp");

        const int reps = 5;
        double loadSeconds = 0;
        int listed = 0;
        {
            mimic::ActionCatalogue catalogue;
            catalogue.SetFramework(static_cast<IHostFramework *>(host.Get()));
            for (int r = 0; r < reps; ++r)
            {
                catalogue.Reload(true); // withdraw, so every load registers anew
                double t0 = Now();
                catalogue.Load();
                loadSeconds += Now() - t0;
                listed = catalogue.Count();
            }
        }
        double enumSeconds = 0;
        int found = 0;
        for (int r = 0; r < reps; ++r)
        {
            double t0 = Now();
            found = Enumerate(local) + Enumerate(global);
            enumSeconds += Now() - t0;
        }
        double loadMs = loadSeconds * 1000 / reps, enumMs = enumSeconds * 1000 / reps;
        std::printf("%-8d %12.2f %14.2f %14.2f %8.1f%s\n", count, loadMs, loadMs * 1000 / count, enumMs,
                    enumMs > 0 ? loadMs / enumMs : 0.0,
                    (listed == count && found == count) ? "" : "  (count mismatch!)");
        host.Reset();
        RemoveTree(root);
    }
    ::CoUninitialize();
    return 0;
}
