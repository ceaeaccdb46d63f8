// mimichost: the reference host application. It loads mimic.dll through COM
// as the host does and runs either interactively, with a main window, or a
// scenario file, one command a line, printing what the host and the plug-in did.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "refhost/app/HostSession.h"
#include "refhost/app/HostWindow.h"
#include "refhost/app/Scenario.h"

namespace {

void Usage(FILE *to)
{
    std::fprintf(to,
                 "usage: mimichost [--dir DIR] [--plugin DLL] [SCENARIO]\n"
                 "       mimichost --help | --help-markdown\n"
                 "Without a scenario the host opens its main window. With one it runs the scenario's\n"
                 "commands in order and prints what happened; it ends with status 0 when every command\n"
                 "went through and 1 at the first error, which it reports with the line number.\n"
                 "  --dir DIR        the folder that relative file names are taken from (default: current folder)\n"
                 "  --plugin DLL     the plug-in to load (default: mimic.dll beside mimichost.exe)\n"
                 "  --help-markdown  the scenario commands as a markdown table, as the README has them\n\n%s",
                 refhost::ScenarioHelp().c_str());
}

// OLE for the whole run: the plug-in comes through COM, and the file dialogs
// want OLE on this thread.
class OleSession
{
public:
    OleSession() : m_hr(::OleInitialize(nullptr)) {}
    ~OleSession()
    {
        if (SUCCEEDED(m_hr))
            ::OleUninitialize();
    }
    OleSession(const OleSession &) = delete;
    OleSession &operator=(const OleSession &) = delete;
    bool Ok() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

std::string CurrentFolder()
{
    char folder[MAX_PATH];
    DWORD n = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder, n);
}

} // namespace

int main(int argc, char **argv)
{
    std::string baseDir, dllPath, scenario;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            Usage(stdout);
            return 0;
        }
        if (arg == "--help-markdown")
        {
            std::fputs(refhost::ScenarioTable().c_str(), stdout);
            return 0;
        }
        if (arg == "--dir" || arg == "--plugin")
        {
            if (i + 1 == argc)
            {
                std::fprintf(stderr, "mimichost: %s needs a value\n", arg.c_str());
                return 2;
            }
            (arg == "--dir" ? baseDir : dllPath) = argv[++i];
        }
        else if (arg.size() > 1 && arg[0] == '-')
        {
            std::fprintf(stderr, "mimichost: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
        else if (scenario.empty())
            scenario = arg;
        else
        {
            std::fprintf(stderr, "mimichost: one scenario at a time\n");
            return 2;
        }
    }

    OleSession ole;
    if (!ole.Ok())
    {
        std::fprintf(stderr, "mimichost: COM cannot be initialized\n");
        return 1;
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    int rc = 0;
    {
        refhost::HostWindow *window = nullptr;
        refhost::HostSession session(
            [&window, &scenario](const std::string &line) {
                if (!scenario.empty())
                {
                    std::fputs((line + "\n").c_str(), stdout);
                    std::fflush(stdout);
                }
                if (window)
                    window->Log(line);
            },
            baseDir.empty() ? CurrentFolder() : baseDir);
        if (!dllPath.empty())
            session.SetPlugInPath(session.FullPath(dllPath));
        refhost::HostWindow mainWindow(session);
        if (!mainWindow.Create())
        {
            std::fprintf(stderr, "mimichost: the main window cannot be created\n");
            return 1;
        }
        window = &mainWindow;
        session.SetMainWindow(mainWindow.Handle());
        session.SetChangeListener([&mainWindow] { mainWindow.Refresh(); });

        if (scenario.empty())
        {
            std::string error;
            if (session.StartPlugIn(error))
                session.Say("Open a document (File > Open Document), then record with Record > Start Recording.");
            else
                session.Say("error: " + error);
            mainWindow.Refresh();
            ::ShowWindow(mainWindow.Handle(), SW_SHOWNORMAL);
            mainWindow.RunMessageLoop();
        }
        else
        {
            char full[MAX_PATH];
            DWORD n = ::GetFullPathNameA(scenario.c_str(), MAX_PATH, full, nullptr);
            refhost::ScenarioRunner runner(session);
            if (!runner.RunFile(n > 0 && n < MAX_PATH ? std::string(full, n) : scenario, scenario))
            {
                std::fflush(stdout);
                std::fprintf(stderr, "%s\n", runner.Error().c_str());
                rc = 1;
            }
        }
        session.SetChangeListener(nullptr);
        window = nullptr;
    }
    return rc;
}
