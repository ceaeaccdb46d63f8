// mimic.dll when the host changes things under it: a reload under an open dialog, Initialize again while busy,
// a page that outlives the object, Initialize/Close cycles and two objects in one process.
#include <windows.h>
#include <prsht.h>
#include <gtest/gtest.h>
#include <functional>

#include "base/Raii.h"
#include "base/Text.h"
#include "host/baseutil.h"
#include "mimic.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PlugInHost.h"
#include "ui/resource.h"

using mimic::ComPtr;
using mimic::UniqueBstr;
using namespace testsupport;

namespace {

const HRESULT kAlreadyInitialized = HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);

class StateTest : public PlugInHost
{
protected:
    void SetUp() override
    {
        AddAction(localDir, "mine", "1", "", "0");
        AddAction(globalDir, "shared", "1", "", "0");
        PlugInHost::SetUp();
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    }
    void TearDown() override
    {
        if (plugIn)
            plugIn->Close();
        PlugInHost::TearDown();
    }

    std::string Ini(const std::string &folder, const char *section, const char *key)
    {
        return baseutil::GetPrivateProfileStringA(section, key, "?", (folder + "\\mimic.ini").c_str());
    }
};

// Each way the host's message loop rebuilds the catalogue while a dialog runs modally: the dialog must still act
// on the action the user chose, and only on it.
TEST_F(StateTest, ADialogActsOnTheChosenActionWhateverReloadsUnderIt)
{
    const std::pair<const char *, std::function<void()>> reloads[] = {
        {"the host plug-in closes",
         [this] {
             host->ClosePlugIn(CLSID_HostPlugIn);
             host->NotifyPlugInClosed(CLSID_HostPlugIn, 5);
         }},
        {"ReloadList brings forty new scripts",
         [this] {
             for (int i = 0; i < 40; ++i)
                 AddScript(globalDir, "new" + std::to_string(i) + ".pl");
             EXPECT_EQ(mimic->ReloadList(), S_OK);
         }},
        {"the active design changes", [this] { EXPECT_EQ(mimic->OnChangeActiveDesign(), S_OK); }},
    };
    const auto reset = [this] {
        host->OpenPlugIn(CLSID_HostPlugIn);
        AddAction(localDir, "mine", "1", "", "0");
        AddAction(globalDir, "shared", "1", "", "0");
        for (int i = 0; i < 40; ++i)
            ::DeleteFileA((globalDir + "\\new" + std::to_string(i) + ".pl").c_str());
        ASSERT_EQ(mimic->OnChangeActiveDesign(), S_OK);
    };
    for (const auto &row : reloads)
    {
        SCOPED_TRACE(row.first);
        const std::function<void()> &reload = row.second;
        ASSERT_NO_FATAL_FAILURE(reset());
        {
            ModalDriver driver;
            driver.Expect("Action Manager", [&](ModalWindow &w) {
                SelectActions(w, {"mine"});
                w.Click(IDC_TM_PROPERTIES);
                w.Click(IDCANCEL);
            });
            driver.Expect("Action Properties", [&](ModalWindow &p) {
                reload();
                p.SetText(IDC_TP_REPEAT, "7");
                p.Click(IDOK);
            });
            EXPECT_EQ(mimic->GetTaskManager(nullptr), S_OK);
            EXPECT_EQ(Ini(localDir, "mine", "PlayMode") + Ini(globalDir, "shared", "PlayMode") +
                          Ini(globalDir, "mine", "PlayMode"),
                      "71?");
        }
        ASSERT_NO_FATAL_FAILURE(reset());
        {
            ModalDriver driver;
            driver.Expect("Player Settings", [&](ModalWindow &w) {
                SelectActions(w, {"mine"});
                reload();
                w.Click(IDOK);
            });
            long times = 0;
            UniqueBstr chosen;
            EXPECT_EQ(mimic->GetCommandFileNameToPlay(nullptr, &times, chosen.put()), S_OK);
            EXPECT_EQ(mimic::NarrowFromBstr(chosen.get()), localDir + "\\mine.pl");
            EXPECT_EQ(Setting("Last Macro Path"), localDir + "\\mine.pl");
        }
        ASSERT_NO_FATAL_FAILURE(reset());
        ModalDriver driver;
        driver.Expect("Action Manager", [&](ModalWindow &w) {
            SelectActions(w, {"mine"});
            reload();
            w.Click(IDC_TM_REMOVE);
            w.Click(IDCANCEL);
        });
        driver.Answer("Warning", IDYES);
        EXPECT_EQ(mimic->GetTaskManager(nullptr), S_OK);
        EXPECT_FALSE(FileExists(localDir + "\\mine.pl")) << "the chosen action is removed";
        EXPECT_EQ(ReadTextFile(globalDir + "\\shared.pl") + Ini(globalDir, "shared", "PlayMode"), "# shared\n1");
    }
}

// Refused from inside a dialog, whose caller is still on the stack, and during the recording that Action
// Properties starts, which goes on and ends whole.
TEST_F(StateTest, ASecondInitializeIsRefusedAndChangesNothing)
{
    host->OpenDocument(1, "start.bde");
    const size_t notifySinks = host->NotifySinkCount(), commandSinks = host->CommandSinkCount();
    {
        ModalDriver driver;
        driver.Expect("Action Properties", [&](ModalWindow &p) {
            EXPECT_EQ(plugIn->Initialize(Framework(), 9), kAlreadyInitialized);
            p.SetText(IDC_TP_NAME, "job");
            p.Click(IDOK);
        });
        EXPECT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
    }
    EXPECT_EQ(plugIn->Initialize(Framework(), 9), kAlreadyInitialized);
    EXPECT_EQ(Record(1, "Place", "R1"), S_OK);
    EXPECT_EQ(mimic->StopRecording(), S_OK);
    EXPECT_NE(ReadTextFile(localDir + "\\job.pl").find("\t$Nexo0->ExecuteCommand('Place', 'R1');\n}\n"),
              std::string::npos);
    EXPECT_EQ(std::make_pair(host->NotifySinkCount(), host->CommandSinkCount()),
              std::make_pair(notifySinks, commandSinks));
}

TEST_F(StateTest, APreferencesPageOutlivesTheObjectAndHoldsTheModule)
{
    HWND parent = ::CreateWindowExA(0, "STATIC", "options", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                                    nullptr, nullptr);
    HWND page = reinterpret_cast<HWND>(1);
    {
        ComPtr<IHostPreferencesPage> pages;
        ASSERT_EQ(plugIn.As(IID_IHostPreferencesPage, pages), S_OK);
        EXPECT_EQ(pages->CreatePage(Framework(), parent, 1, &page), S_OK);
        EXPECT_EQ(page, nullptr) << "a non-zero flag creates nothing";
        ASSERT_EQ(pages->CreatePage(Framework(), parent, 0, &page), S_OK);
        ASSERT_NE(page, nullptr);
    }
    plugIn->Close();
    mimic.Reset();
    plugIn.Reset();
    EXPECT_FALSE(dll.CanUnloadNow()) << "a window of the module still runs its code";

    // The page keeps working as the user goes on with the host's settings.
    ::SendMessageA(::GetDlgItem(page, IDC_MP_TEMPORARY), BM_CLICK, 0, 0);
    PSHNOTIFY apply = {};
    apply.hdr.hwndFrom = parent;
    apply.hdr.code = PSN_APPLY;
    ::SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    ::UpdateWindow(page);
    EXPECT_TRUE(Number("Record Temporary Task").has_value());

    ::DestroyWindow(parent);
    EXPECT_FALSE(::IsWindow(page));
    EXPECT_TRUE(dll.CanUnloadNow());
}

// Neither a folder of the script's name nor a name too long for a path takes the hotkey from the action that
// holds it; recording again over that action keeps it there.
TEST_F(StateTest, AStartThatCannotCreateItsScriptTakesNoHotkey)
{
    AddAction(localDir, "other", "1", "Ctrl+5", "0");
    ASSERT_EQ(mimic->ReloadList(), S_OK);
    MakeFolder(localDir + "\\taken.pl");
    host->OpenDocument(1, "start.bde");
    for (const std::string &name : {std::string("taken"), std::string(300, 'n'), std::string("other")})
    {
        SCOPED_TRACE(name.substr(0, 10));
        ModalDriver driver;
        driver.Expect("Action Properties", [&](ModalWindow &p) {
            p.SetText(IDC_TP_NAME, name);
            p.PressKey(IDC_TP_NEW, '5', true);
            p.Click(IDC_TP_ASSIGN);
            EXPECT_EQ(p.Text(IDC_TP_CURRENT), "Ctrl+5");
            p.Click(IDOK);
        });
        if (name == "other")
            driver.Answer("Warning", IDYES); // record over it
        EXPECT_EQ(mimic->StartRecording(nullptr, 1), S_OK);
        EXPECT_EQ(State(), name == "other" ? 1 : 0);
        EXPECT_EQ(mimic->StopRecording(), S_OK);
        EXPECT_EQ(Ini(localDir, "other", "Accel"), "Ctrl+5");
        int id = 0;
        ASSERT_EQ(mimic->GetCommandIdFromAccel(Narrow("Ctrl+5"), &id), S_OK) << "the action keeps it in memory too";
        long times = 0;
        UniqueBstr path;
        EXPECT_EQ(mimic->GetTaskPlayInfoFromCmdId(static_cast<UINT>(id), &times, path.put()), S_OK);
        EXPECT_EQ(mimic::NarrowFromBstr(path.get()), localDir + "\\other.pl");
    }
}

TEST_F(StateTest, InitializeAndCloseCyclesLeaveTheHostOneCommandPerAction)
{
    const size_t editor = host->CommandCount(CLSID_EditorDocument), plugIns = host->CommandCount(CLSID_HostPlugIn);
    ASSERT_EQ(editor, 2u);
    for (int i = 0; i < 500; ++i)
    {
        ASSERT_EQ(plugIn->Close(), S_OK);
        ASSERT_EQ(plugIn->Initialize(Framework(), 9), S_OK);
    }
    EXPECT_EQ(host->CommandCount(CLSID_EditorDocument), editor);
    EXPECT_EQ(host->CommandCount(CLSID_HostPlugIn), plugIns);
    EXPECT_EQ(Offered().size(), 2u) << "the actions still answer under their ids";
    plugIn->Close();
    EXPECT_EQ(host->CommandCount(CLSID_EditorDocument), 0u) << "the last Close withdraws them";
}

TEST_F(StateTest, EachObjectsCloseLeavesTheOthersWorking)
{
    ComPtr<IPlugIn> second;
    ComPtr<IMimic> secondMimic;
    ASSERT_EQ(dll.factory->CreateInstance(nullptr, IID_IPlugIn, second.PutVoid()), S_OK);
    ASSERT_EQ(second.As(IID_IMimic, secondMimic), S_OK);
    int id = 0;
    EXPECT_EQ(secondMimic->GetCommandIdFromAccel(Narrow(""), &id), S_FALSE) << "before Initialize nothing is known";
    ASSERT_EQ(second->Initialize(Framework(), 10), S_OK);

    ASSERT_EQ(plugIn->Close(), S_OK);
    AddAction(globalDir, "late", "3", "Ctrl+7", "1");
    EXPECT_EQ(secondMimic->ReloadList(), S_OK);
    ASSERT_EQ(secondMimic->GetCommandIdFromAccel(Narrow("Ctrl+7"), &id), S_OK);
    EXPECT_TRUE(host->KnowsCommand(CLSID_EditorDocument, static_cast<UINT>(id))) << "its hotkey is registered";
    long times = 0;
    UniqueBstr path;
    EXPECT_EQ(secondMimic->GetTaskPlayInfoFromCmdId(static_cast<UINT>(id), &times, path.put()), S_OK);
    EXPECT_EQ(times, 3);

    // The closed object answers as it did before Initialize.
    int closedId = 0;
    EXPECT_EQ(mimic->GetCommandIdFromAccel(Narrow("Ctrl+7"), &closedId), S_FALSE);
    EXPECT_EQ(mimic->GetTaskPlayInfoFromCmdId(static_cast<UINT>(id), &times, path.put()), S_FALSE);
    EXPECT_EQ(second->Close(), S_OK);
}

} // namespace
