// What the user gets when the settings key is withheld, a setting has the wrong type or size, or an action
// folder, its catalogue file or a script is missing, unreachable, locked or damaged. What was stored before
// the fault must still be there afterwards.
#include <gtest/gtest.h>
#include <functional>
#include <optional>

#include "core/MacroRecorder.h"
#include "core/Playback.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "library/ActionCatalogue.h"
#include "library/ActionOperations.h"
#include "tests/support/Actions.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/resource.h"

using mimic::ActionCatalogue;
using mimic::ActionEntry;
using mimic::KMacroRecorder;
using mimic::UniqueBstr;
using namespace testsupport;
using namespace std::string_literals;

namespace {

// A stored registry value: its type and its bytes.
using RawValue = std::pair<DWORD, std::string>;

const char kBox[] = "NEXO Action Recorder/Player";

class FaultTest : public HostFixture
{
protected:
    void SetUp() override
    {
        host->OpenPlugIn(CLSID_HostPlugIn);
        host->RegisterDocumentClass(CLSID_EditorDocument, "Vantrel.Editor.1");
        // Two bystanders that no case works on: they must come through every fault.
        AddAction(localDir, "keep", "3", "Ctrl+8", "1");
        AddAction(globalDir, "shared", "2", "Alt+S", "0");
        StoreLastAction();
        catalogue.SetFramework(Framework());
        host->OpenDocument(1, "start.bde");
    }
    void TearDown() override
    {
        recorder.Stop();
        host->RefuseSettings(false);
        EXPECT_EQ(Stored(localDir, "keep"), "# keep\n|3|Ctrl+8|1");
        EXPECT_EQ(Stored(globalDir, "shared"), "# shared\n|2|Alt+S|0");
    }

    void StoreLastAction()
    {
        SetSetting("Last Macro Path", localDir + "\\keep.pl");
        SetNumber("Defaul Repeat Count", 5);
        SetNumber("Defaul ShortCut Number", 4);
    }
    // "Last Macro Path|Defaul Repeat Count"
    std::string LastAction()
    {
        const std::optional<DWORD> count = Number("Defaul Repeat Count");
        return Setting("Last Macro Path") + "|" + (count ? std::to_string(static_cast<int>(*count)) : "-");
    }
    // "script text|PlayMode|Accel|AddToMenu"; "-" for what is absent.
    static std::string Stored(const std::string &folder, const char *name)
    {
        const std::string script = folder + "\\" + name + ".pl";
        std::string s = FileExists(script) ? ReadTextFile(script) : "-";
        for (const char *key : {"PlayMode", "Accel", "AddToMenu"})
            s += "|" + baseutil::GetPrivateProfileStringA(name, key, "-", (folder + "\\mimic.ini").c_str());
        return s;
    }
    // "repeat|hotkey|menu" as the catalogue lists it, or "-".
    std::string Listed(const char *name, bool bGlobal = false)
    {
        const ActionEntry *e = FindAction(catalogue, name, bGlobal);
        return e ? std::to_string(e->nRepeat) + "|" + e->strAccel + "|" + (e->bMenu ? "1" : "0") : "-";
    }
    long State()
    {
        long state = -1, cookie = -1;
        recorder.GetState(&state, &cookie);
        return state;
    }
    // A named start answered in Action Properties; returns the hotkey it proposed.
    std::string StartNamed(KMacroRecorder &rec, const std::string &name, bool bGlobal = false,
                           const char *repeat = "1", ModalDriver *outer = nullptr)
    {
        std::string proposed;
        std::optional<ModalDriver> own;
        ModalDriver &driver = outer ? *outer : own.emplace();
        driver.Expect("Action Properties", [&](ModalWindow &w) {
            proposed = w.Text(IDC_TP_CURRENT);
            w.SetText(IDC_TP_NAME, name);
            w.SetText(IDC_TP_REPEAT, repeat);
            if (bGlobal != w.IsChecked(IDC_TP_GLOBAL))
                w.Click(IDC_TP_GLOBAL);
            w.Click(IDOK);
        });
        rec.Start(nullptr, 1);
        return proposed;
    }
    // The line that playing the last action over one file hands to the host, or "".
    std::string PlayLine()
    {
        const size_t before = host->CommandLines().size();
        UniqueBstr files(mimic::BstrFromNarrow("x.bde"));
        BSTR raw = files.get();
        EXPECT_EQ(mimic::PlayLastMacro(Framework(), &raw), S_OK);
        return host->CommandLines().size() > before ? host->CommandLines().back() : std::string();
    }

    // What the Action Manager and Action Properties do, the list reloaded as they reload it. A move and an
    // added file give the platform's reason when the copy was not made, else 0; an added file takes no clash.
    DWORD Move(const char *name)
    {
        ActionEntry edited = *FindAction(catalogue, name), wanted = edited;
        wanted.bGlobal = !wanted.bGlobal;
        DWORD error = 0;
        (void)operations.MoveToOtherFolder(edited, wanted, nullptr, error);
        return error;
    }
    DWORD AddNew(ActionCatalogue &cat)
    {
        MakeFolder(temp / "src");
        mimic::ActionOperations add(Framework(), cat);
        (void)add.AddFiles({AddScript(temp / "src", "new.pl", "# new\n")}, true, [](const std::string &) {
            ADD_FAILURE() << "asked to replace a file that is not there";
            return mimic::ReplaceAnswer::Replace;
        });
        cat.Reload(false);
        return add.NotAddedFiles().empty() ? ERROR_SUCCESS : add.NotAddedFiles()[0].dwError;
    }

    ActionCatalogue catalogue;
    mimic::ActionOperations operations{Framework(), catalogue};
    KMacroRecorder recorder{Framework(), 7, catalogue};
};

TEST_F(FaultTest, RecordingWithTheSettingsKeyWithheldStoresNothing)
{
    // Stored: record temporary actions without asking. Unreadable, it means a named action.
    SetNumber("Record Temporary Task", 1);
    SetNumber("Show confirmation dialog", 1);
    const std::pair<bool, bool> cases[] = {{true, false}, {false, true}, {true, true}}; // withheld at start, at stop
    for (const auto &[atStart, atStop] : cases)
    {
        SCOPED_TRACE(std::string(atStart ? "withheld at start " : "") + (atStop ? "withheld at stop" : ""));
        const std::string name = "named" + std::to_string(atStop);
        const std::string script = localDir + "\\" + (atStart ? name : std::string("temporary_action")) + ".pl";
        host->RefuseSettings(atStart);
        if (atStart)
            EXPECT_EQ(StartNamed(recorder, name, false, "6"), "") << "no hotkey is proposed";
        else
        {
            ModalDriver none; // a temporary action is recorded without a question
            recorder.Start(nullptr, 1);
        }
        recorder.RecordEvent(1, "Cmd", "p");
        host->RefuseSettings(atStop);
        recorder.Stop();
        host->RefuseSettings(false);

        EXPECT_EQ(ScriptBody(script), "\t$Nexo0->ExecuteCommand('Cmd', 'p');\n}\n") << "closed whole";
        EXPECT_EQ(LastAction(), atStop ? localDir + "\\keep.pl|5" : script + (atStart ? "|6" : "|1"));
        EXPECT_EQ(Number("Defaul ShortCut Number"), 4u) << "neither start moves the proposal on";
        EXPECT_EQ(Number("Record Temporary Task"), 1u);
        StoreLastAction();
    }
}

// Playing needs the last action; Player Settings and removing an action do not need the key: the choice is
// handed out and the action goes, only what was stored is left alone, as it could not be read.
TEST_F(FaultTest, PlayingOrRemovingWithTheSettingsKeyWithheldKeepsTheLastAction)
{
    AddAction(localDir, "victim", "1", "", "0");
    SetSetting("Last Macro Path", localDir + "\\victim.pl");
    catalogue.Reload(false);
    host->RefuseSettings(true);
    EXPECT_EQ(PlayLine(), "") << "the last action cannot be read: nothing plays";
    long times = 0;
    UniqueBstr path;
    ModalDriver driver;
    driver.Expect("Player Settings", [](ModalWindow &w) {
        SelectActions(w, {"shared"});
        w.SetText(IDC_PS_REPEAT, "7");
        w.Click(IDOK);
    });
    recorder.ChooseActionToPlay(nullptr, &times, path.put());
    EXPECT_EQ(mimic::NarrowFromBstr(path.get()) + "|" + std::to_string(times), globalDir + "\\shared.pl|7");
    (void)operations.Remove(*FindAction(catalogue, "victim"));
    catalogue.Reload(false);
    host->RefuseSettings(false);

    EXPECT_EQ(Stored(localDir, "victim") + Listed("victim"), "-|-|-|--");
    EXPECT_EQ(LastAction(), localDir + "\\victim.pl|5");
    EXPECT_EQ(PlayLine(), "runscript -perl {" + localDir + "\\victim.pl} -1 {x.bde} 5");
}

// Without its folders, or with a folder setting that is not a full path, an action would land in the host's
// working folder or at the root of its drive.
TEST_F(FaultTest, AFolderThatIsNotKnownOrNotAFullPathTakesNoWrites)
{
    const std::string cwd = temp / "cwd";
    MakeFolder(cwd + "\\Shared");
    AddScript(cwd + "\\Shared", "found.pl");
    CurrentFolder here(cwd);
    auto strays = [&] {
        std::string found;
        WIN32_FIND_DATAA fd;
        mimic::UniqueFind find(::FindFirstFileA((cwd + "\\*").c_str(), &fd));
        for (bool more = !!find; more; more = ::FindNextFileA(find.get(), &fd))
            if (fd.cFileName[0] != '.' && std::string(fd.cFileName) != "Shared")
                found += std::string(fd.cFileName) + " ";
        for (const char *file : {"shared.pl", "stray-local.pl", "stray-global.pl", "new.pl"})
            if (::DeleteFileA((cwd.substr(0, 2) + "\\" + file).c_str()))
                found += std::string("\\") + file + " ";
        return found;
    };

    // The host's plug-in closed: only the global folder is known, and the workspace still lets an action be
    // made local.
    catalogue.Reload(true);
    catalogue.ReloadGlobalOnly();
    EXPECT_EQ(Move("shared"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    StartNamed(recorder, "stray-local");
    EXPECT_EQ(State(), mimic::RecorderIdle) << "nowhere to record into";
    recorder.Stop();

    // The settings key withheld from the first load on: no folder is known; files go through the temporary one.
    host->RefuseSettings(true);
    ActionCatalogue blind;
    blind.SetFramework(Framework());
    KMacroRecorder rec(Framework(), 7, blind);
    StartNamed(rec, "stray-global", true);
    rec.Stop();
    AddNew(blind);
    host->RefuseSettings(false);
    EXPECT_EQ(strays(), "");

    // No design open: the local folder is only the setting's text.
    host->CloseDesign();
    SetSetting("Local Path", "Current design folder");
    catalogue.Load();
    EXPECT_EQ(Move("shared"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(mimic::ActionOperations(Framework(), catalogue).AddFiles({globalDir + "\\shared.pl"}, false, nullptr));
    StartNamed(recorder, "made-global");
    EXPECT_EQ(State(), mimic::RecorderRecording) << "a local action is recorded globally";
    recorder.Stop();
    EXPECT_TRUE(FileExists(globalDir + "\\made-global.pl"));

    SetSetting("Global Path", "Shared");
    catalogue.Load();
    EXPECT_EQ(Listed("found", true), "-");
    ModalDriver driver;
    driver.Answer(kBox, IDOK);
    StartNamed(recorder, "global", true, "1", &driver);
    EXPECT_EQ(State(), mimic::RecorderIdle);
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[1].text,
              "Can't record the action \"global\": the global action folder \"Shared\" is not a full path.");
    EXPECT_EQ(strays(), "");
    EXPECT_EQ(ReadTextFile(cwd + "\\Shared\\found.pl"), "# action\n");
    EXPECT_FALSE(FileExists(cwd + "\\Shared\\mimic.ini"));
}

TEST_F(FaultTest, SettingsOfTheWrongTypeOrSizeCountAsAbsentAndSurviveBeingRead)
{
    const std::string huge(70000, 'h');
    // What a reader shows: the hotkey the recorder proposes (its start cancelled) ...
    auto proposal = [&] {
        std::string proposed = "-";
        ModalDriver driver;
        driver.Expect("Action Properties", [&](ModalWindow &w) {
            proposed = w.Text(IDC_TP_CURRENT);
            w.Click(IDCANCEL);
        });
        recorder.Start(nullptr, 1);
        return proposed;
    };
    // ... and the folders and how many actions they hold.
    auto folders = [&] {
        catalogue.Load();
        return catalogue.GetLocalPath() + "|" + catalogue.GetGlobalPath() + "|" + std::to_string(catalogue.Count());
    };
    auto play = [&] { return PlayLine(); };

    const std::string keepLine = "runscript -perl {" + localDir + "\\keep.pl} -1 {x.bde} ";
    struct Case
    {
        const char *what;
        const char *name;
        RawValue value;
        std::function<std::string()> reader;
        std::string shown;
    };
    const Case cases[] = {
        {"two-byte number", "Defaul ShortCut Number", {REG_DWORD, "\5\0"s}, proposal, "Ctrl+0"},
        {"four bytes, not a number", "Defaul ShortCut Number", {REG_BINARY, "\5\0\0\0"s}, proposal, "Ctrl+0"},
        {"text for the repeat count", "Defaul Repeat Count", {REG_SZ, "5\0"s}, play, keepLine + "1"},
        {"huge last action", "Last Macro Path", {REG_SZ, huge + '\0'}, play,
         "runscript -perl {" + huge + "} -1 {x.bde} 5"},
        {"huge folder", "Global Path", {REG_SZ, "X:\\" + huge + '\0'}, folders, localDir + "|X:\\" + huge + "|1"},
    };
    mimic::UniqueHKey key = SettingsKey();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string &data = c.value.second;
        ASSERT_EQ(::RegSetValueExA(key.get(), c.name, 0, c.value.first, reinterpret_cast<const BYTE *>(data.data()),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        EXPECT_EQ(c.reader(), c.shown);
        EXPECT_EQ(State(), mimic::RecorderIdle);
        DWORD type = REG_NONE, cb = 0;
        ::RegQueryValueExA(key.get(), c.name, nullptr, &type, nullptr, &cb);
        std::string bytes(cb, '\0');
        ::RegQueryValueExA(key.get(), c.name, nullptr, &type, reinterpret_cast<BYTE *>(&bytes[0]), &cb);
        EXPECT_TRUE(RawValue(type, bytes.substr(0, cb)) == c.value) << "reading changed the stored value";
        ::RegDeleteValueA(key.get(), c.name);
        StoreLastAction();
        catalogue.Load();
    }
}

TEST_F(FaultTest, AGlobalFolderThatCannotBeMadeFailsEachWriteQuietlyOrWithTheSystemsText)
{
    // A folder one level from an existing one is made; deeper, it cannot be.
    const std::pair<std::string, bool> cases[] = {{temp / "fresh", true}, {temp / "gone\\deeper", false}};
    for (const auto &[folder, reachable] : cases)
    {
        SCOPED_TRACE(folder);
        AddAction(localDir, "act", "1", "Ctrl+1", "0");
        SetSetting("Global Path", folder);
        catalogue.Load();
        EXPECT_EQ(catalogue.Count(), 2) << "the local actions only";

        StartNamed(recorder, "rec", true);
        EXPECT_EQ(State(), reachable ? mimic::RecorderRecording : mimic::RecorderIdle);
        recorder.Stop();
        EXPECT_EQ(FileExists(folder + "\\rec.pl"), reachable);
        EXPECT_EQ(Number("Defaul ShortCut Number"), reachable ? 5u : 4u);
        SetNumber("Defaul ShortCut Number", 4);

        EXPECT_EQ(Move("act") != 0, !reachable) << "the platform's reason for a copy not made";
        EXPECT_EQ(Stored(reachable ? folder : localDir, "act"), "# act\n|1|Ctrl+1|0");
        EXPECT_EQ(AddNew(catalogue) != ERROR_SUCCESS, !reachable);
        EXPECT_EQ(Stored(folder, "new") + Listed("new", true), reachable ? "# new\n|1||01||0" : "-|-|-|--");
    }
}

// Another program holds the script open, sharing it for reading or not at all: recording over it cannot start and
// loses nothing, neither the script, its section nor the last action.
TEST_F(FaultTest, RecordingOverAScriptAnotherProgramHoldsLosesNothing)
{
    StoreLastAction();
    const std::string script = localDir + "\\keep.pl";
    for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}})
    {
        SCOPED_TRACE(share ? "held open for reading" : "opened without sharing");
        mimic::UniqueFile held(::CreateFileA(script.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ModalDriver driver;
        driver.Answer("Warning", IDYES); // overwrite it
        StartNamed(recorder, "keep", false, "1", &driver);
        EXPECT_EQ(State(), mimic::RecorderIdle) << "the script cannot be created";
    }
    EXPECT_EQ(Stored(localDir, "keep"), "# keep\n|3|Ctrl+8|1");
    EXPECT_EQ(LastAction(), script + "|5");
}

TEST_F(FaultTest, ACatalogueFileHeldOpenByAnotherProgramLosesNothing)
{
    mimic::UniqueFile held(
        ::CreateFileA((localDir + "\\mimic.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    catalogue.Reload(false);
    EXPECT_EQ(Listed("keep"), "0||0") << "while it is held the actions show their defaults";
    EXPECT_EQ(catalogue.UnreadableFiles(), std::vector<std::string>{localDir + "\\mimic.ini"});

    // A recording whose section cannot be saved does not start and leaves nothing behind; the user is told
    // which file could not be saved.
    ModalDriver driver;
    driver.Answer(kBox, IDOK);
    StartNamed(recorder, "fresh", false, "3", &driver);
    EXPECT_EQ(State(), mimic::RecorderIdle);
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_NE(driver.Seen()[1].text.find(localDir + "\\mimic.ini"), std::string::npos) << driver.Seen()[1].text;
    held.reset();
    // Until the list is read again, its defaults never replace the stored values.
    EXPECT_FALSE(catalogue.SaveEntry(*FindAction(catalogue, "keep")));
    EXPECT_NE(catalogue.LastSaveError().find("refresh the list"), std::string::npos) << catalogue.LastSaveError();
    catalogue.Reload(false);
    EXPECT_EQ(Listed("keep") + " " + Listed("fresh"), "3|Ctrl+8|1 -");
    EXPECT_FALSE(FileExists(localDir + "\\fresh.pl"));
}

} // namespace
