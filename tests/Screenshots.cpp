// Shows every dialog of the plug-in with representative content and saves a
// picture of each into the folder named by MIMIC_SCREENSHOT_DIR (BMP files;
// scripts/screenshots.sh turns them into PNG).
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestDialogs.h"
#include "ui/HotkeyEdit.h"
#include "ui/InsertFileDlg.h"
#include "ui/RecordMsg.h"
#include "ui/ReplaceDlg.h"
#include "ui/TaskProperties.h"
#include "ui/TaskManager.h"
#include "ui/MacroListDlg.h"
#include "host/GridCtrl.h"
#include "library/ActionCatalogue.h"
#include "refhost/RefOptionsDialog.h"
#include "refhost/WindowPicture.h"
#include "ui/MimicProperty.h"
#include "ui/resource.h"

using namespace testsupport;

namespace {

void SaveWindow(HWND hWnd, const std::string &name)
{
    const char *dir = std::getenv("MIMIC_SCREENSHOT_DIR");
    ASSERT_TRUE(dir) << "MIMIC_SCREENSHOT_DIR names the folder for the pictures";
    const std::string path = std::string(dir) + "\\" + name + ".bmp";
    ASSERT_TRUE(refhost::SaveWindowPicture(hWnd, path)) << path;
    std::printf("saved %s\n", path.c_str());
}

class Screenshots : public HostFixture
{
};

TEST_F(Screenshots, Record)
{
    ModalDriver driver;
    driver.Expect("Record", [](ModalWindow &w) {
        SaveWindow(w.Handle(), "record");
        w.Click(IDCANCEL);
    });
    mimic::CRecordMsg(Framework(), nullptr).DoModal();
}

TEST_F(Screenshots, ReplaceFile)
{
    ModalDriver driver;
    driver.Expect("Replace File", [](ModalWindow &w) {
        SaveWindow(w.Handle(), "replace_file");
        w.Click(IDCANCEL);
    });
    mimic::CReplaceDlg(nullptr).DoModal();
}

class HotkeyDialog : public mimic::CDialog
{
public:
    HotkeyDialog() : CDialog(IDD_TEST_HOTKEY, nullptr) {}
    BOOL OnInitDialog() override
    {
        field.Attach(Item(IDC_TEST_HOTKEY), Item(IDC_TEST_ASSIGNED), Item(IDC_TEST_WARNING));
        field.m_stWarning.SetWindowTextA("Ctrl+Alt+Shift+F5 is already used by the host");
        ::SetFocus(Item(IDC_TEST_HOTKEY));
        return FALSE;
    }
    mimic::KHotkeyEdit field;
};

TEST_F(Screenshots, HotkeyField)
{
    ModalDriver driver;
    driver.Expect("Hotkey Field", [](ModalWindow &w) {
        w.TypeKey(VK_F5, true, true, true);
        SaveWindow(w.Handle(), "hotkey_field");
        w.End(IDOK);
    });
    HotkeyDialog().DoModal();
}

TEST_F(Screenshots, ActionPropertiesNew)
{
    mimic::ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    mimic::CTaskProperties dlg(Framework(), nullptr, catalogue);
    mimic::ActionEntry initial;
    initial.strAccel = "Ctrl+3";
    dlg.SetInitialEntry(initial);
    ModalDriver driver;
    driver.Expect("Action Properties", [](ModalWindow &w) {
        w.SetText(IDC_TP_NAME, "place_resistors");
        SaveWindow(w.Handle(), "action_properties_new");
        w.Click(IDCANCEL);
    });
    dlg.DoModal();
}

TEST_F(Screenshots, ActionPropertiesEdit)
{
    AddScript(localDir, "route_bus.pl");
    WriteIni(localDir, "route_bus", "PlayMode", "12");
    WriteIni(localDir, "route_bus", "Accel", "Ctrl+Shift+R");
    WriteIni(localDir, "route_bus", "AddToMenu", "1");
    host->BindKey(CLSID_EditorDocument, FCONTROL, 'P', "Print Preview");
    mimic::ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    mimic::ActionEntry edited = catalogue.Entries().at(0);
    mimic::CTaskProperties dlg(Framework(), nullptr, catalogue);
    dlg.SetEditEntry(&edited);
    ModalDriver driver;
    driver.Expect("Action Properties", [](ModalWindow &w) {
        w.PressKey(IDC_TP_NEW, 'P', true);
        SaveWindow(w.Handle(), "action_properties_edit");
        w.Click(IDCANCEL);
    });
    dlg.DoModal();
}

TEST_F(Screenshots, ActionManager)
{
    const struct
    {
        const char *folder, *name, *accel, *menu;
    } actions[] = {{"l", "place_resistors", "Ctrl+1", "1"}, {"l", "route_bus", "", "0"},
                   {"l", "rename_nets", "Ctrl+Shift+R", "1"}, {"g", "export_bom", "Alt+F7", "0"},
                   {"g", "check_rules", "", "1"}};
    for (const auto &a : actions)
    {
        const std::string &folder = a.folder[0] == 'l' ? localDir : globalDir;
        AddScript(folder, std::string(a.name) + ".pl");
        WriteIni(folder, a.name, "Accel", a.accel);
        WriteIni(folder, a.name, "AddToMenu", a.menu);
    }
    mimic::ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    ModalDriver driver;
    driver.Expect("Action Manager", [](ModalWindow &w) {
        KGridCtrl grid;
        grid.Attach(::GetDlgItem(w.Handle(), IDC_TM_GRID));
        auto it = grid.begin(GCRS_ALL);
        ++it;
        grid.SelectRow(*it, true);
        SaveWindow(w.Handle(), "action_manager");
        w.Click(IDCANCEL);
    });
    mimic::CTaskManager(Framework(), nullptr, catalogue).DoModal();
}

TEST_F(Screenshots, AddActionFiles)
{
    for (const char *name : {"check_nets.pl", "place_resistors.pl", "route_bus.pl"})
        AddScript(localDir, name);
    char saved[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(localDir.c_str());
    mimic::c_insertFileDlg dlg(nullptr);
    dlg.m_bCheckEnabled = 1;
    ModalDriver driver;
    driver.Expect("Add Files (" + localDir + ")", [](ModalWindow &w) {
        SaveWindow(w.Handle(), "add_action_files");
        w.Click(IDCANCEL);
    });
    dlg.DoModal();
    // The folder goes away with the fixture, which it cannot while it is current.
    ::SetCurrentDirectoryA(saved);
}

TEST_F(Screenshots, PlayerSettings)
{
    const struct
    {
        const char *name, *repeat, *accel;
        bool global;
    } actions[] = {{"place_resistors", "3", "Ctrl+1", false},
                   {"route_bus", "1", "", false},
                   {"export_bom", "12", "Alt+F7", true}};
    for (const auto &a : actions)
    {
        const std::string &folder = a.global ? globalDir : localDir;
        AddScript(folder, std::string(a.name) + ".pl");
        WriteIni(folder, a.name, "PlayMode", a.repeat);
        WriteIni(folder, a.name, "Accel", a.accel);
    }
    mimic::ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    ModalDriver driver;
    driver.Expect("Player Settings", [](ModalWindow &w) {
        KGridCtrl grid;
        grid.Attach(::GetDlgItem(w.Handle(), IDC_PS_GRID));
        grid.SelectRow(*grid.begin(GCRS_ALL), true);
        SaveWindow(w.Handle(), "player_settings");
        w.Click(IDCANCEL);
    });
    mimic::KMacroListDlg(nullptr, catalogue).DoModal();
}

TEST_F(Screenshots, Preferences)
{
    SetSetting("Local Path", "Current design folder");
    SetSetting("Global Path", "$(DESIGNS)\\Shared\\Actions");
    mimic::ActionCatalogue catalogue;
    catalogue.SetFramework(Framework());
    std::unique_ptr<mimic::CMimicProperty> page;
    refhost::RefOptionsDialog options([&](HWND hParent) {
        page = std::make_unique<mimic::CMimicProperty>(Framework(), hParent, catalogue);
        return mimic::CMimicProperty::CreatePageWindow(page.get(), hParent);
    });
    ModalDriver driver;
    driver.Expect(refhost::RefOptionsDialog::kCaption, [&](ModalWindow &w) {
        ModalWindow(options.Page()).Click(IDC_MP_TEMPORARY);
        SaveWindow(w.Handle(), "preferences");
        w.Click(IDCANCEL);
    });
    options.DoModal();
}

} // namespace
