// Two copies of the plug-in saving into one shared action folder at once (recordings, the Action Manager's saves of
// menu flags, hotkeys taken away) while a third keeps loading it, each a process of its own (CataloguePeer).
#include <gtest/gtest.h>

#include "base/Raii.h"
#include "tests/support/PlugInDll.h"
#include "tests/support/TestFolders.h"

using namespace testsupport;
using support::CatalogueSection;

namespace {

// Starts a peer; its process handle.
mimic::UniqueFile Peer(const std::string &args)
{
    std::string cmd = "\"" + WindowsPathOf(MIMIC_PEER_PATH) + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    EXPECT_TRUE(::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                                 &pi))
        << cmd;
    ::CloseHandle(pi.hThread);
    return mimic::UniqueFile(pi.hProcess);
}

DWORD ExitCode(const mimic::UniqueFile &process)
{
    DWORD code = STILL_ACTIVE; // still so when the wait runs out
    ::WaitForSingleObject(process.get(), 300000);
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

TEST(SharedCatalogueTest, TwoProcessesSavingAtOnceLoseNothingAndAReaderNeverSeesDefaults)
{
    for (int run = 0; run < 10; ++run)
    {
        SCOPED_TRACE("run " + std::to_string(run));
        TempFolder temp;
        const std::string global = temp / "Script\\Actions", stop = temp / "stop";
        MakeFolder(global);
        // Twenty actions with values; the peers save s0-s9 and s10-s19, and
        // take Ctrl+1 and Ctrl+2 away from the even ones.
        auto stable = [&](int n, bool bCleared, bool bMenu) {
            const std::string accel = n % 2 ? "Ctrl+3" : bCleared ? "" : n < 10 ? "Ctrl+1" : "Ctrl+2";
            const std::string name = "s" + std::to_string(n);
            return CatalogueSection(name, 7, accel, global + "\\" + name + ".pl", bMenu);
        };
        std::string ini;
        for (int n = 0; n < 20; ++n)
        {
            WriteTextFile(global + "\\s" + std::to_string(n) + ".pl", "# s\n");
            ini += stable(n, false, false);
        }
        WriteTextFile(global + "\\mimic.ini", ini);

        mimic::UniqueFile reader = Peer(temp.Path() + " read " + stop);
        mimic::UniqueFile a = Peer(temp.Path() + " save a 0 Ctrl+1"), b = Peer(temp.Path() + " save b 10 Ctrl+2");
        EXPECT_EQ(ExitCode(a), 0u) << ReadTextFile(temp / "peer-a.txt");
        EXPECT_EQ(ExitCode(b), 0u) << ReadTextFile(temp / "peer-b.txt");
        WriteTextFile(stop, "");
        EXPECT_EQ(ExitCode(reader), 0u) << ReadTextFile(temp / "peer-read.txt");

        // Every section once, with its values, its keys in order.
        const std::string after = ReadTextFile(global + "\\mimic.ini");
        const auto once = [&](const std::string &section) {
            const size_t at = after.find(section);
            EXPECT_NE(at, std::string::npos) << section << "in:\n" << after;
            EXPECT_EQ(after.find(section.substr(0, section.find('\n')), at + 1), std::string::npos) << section;
        };
        for (int n = 0; n < 20; ++n)
            once(stable(n, true, (9 + n) % 2 != 0));
        for (const std::string prefix : {"a", "b"})
            for (int i = 0; i < 30; ++i)
                once(CatalogueSection(prefix + std::to_string(i), i + 2, prefix + "+" + std::to_string(i),
                                      global + "\\" + prefix + std::to_string(i) + ".pl", i % 2 != 0));
    }
}

} // namespace
