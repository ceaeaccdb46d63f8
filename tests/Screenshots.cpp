// Shows every dialog of the plug-in with representative content and saves a
// picture of each into the folder named by MIMIC_SCREENSHOT_DIR (BMP files;
// scripts/screenshots.sh turns them into PNG).
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "library/ActionCatalogue.h"
#include "refhost/com/RefOptionsDialog.h"
#include "refhost/driver/WindowPicture.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestDialogs.h"
#include "ui/InsertFileDlg.h"
#include "ui/MacroListDlg.h"
#include "ui/MimicProperty.h"
#include "ui/RecordMsg.h"
#include "ui/ReplaceDlg.h"
#include "ui/TaskManager.h"
#include "ui/TaskProperties.h"
#include "ui/resource.h"

using namespace testsupport;

namespace {

class Screenshots : public HostFixture
{
protected:
    // The next window with the caption is made ready, pictured as <name>.bmp and closed.
    void Shoot(const std::string &caption, const char *name, std::function<void(ModalWindow &)> prepare = {})
    {
        driver.Expect(caption, [=](ModalWindow &w) {
            if (prepare)
                prepare(w);
            const char *dir = std::getenv("MIMIC_SCREENSHOT_DIR");
            ASSERT_TRUE(dir) << "MIMIC_SCREENSHOT_DIR names the folder for the pictures";
            const std::string path = std::string(dir) + "\\" + name + ".bmp";
            EXPECT_TRUE(refhost::SaveWindowPicture(w.Handle(), path)) << path;
            std::printf("saved %s\n", path.c_str());
            if (w.Exists(IDCANCEL))
                w.Click(IDCANCEL);
            else
                w.End(IDCANCEL);
        });
    }
    mimic::ActionCatalogue &Catalogue()
    {
        catalogue.SetFramework(Framework());
        return catalogue;
    }

    ModalDriver driver;
    mimic::ActionCatalogue catalogue;
};

TEST_F(Screenshots, Record)
{
    Shoot("Record", "record");
    mimic::CRecordMsg(Framework(), nullptr).DoModal();
}

TEST_F(Screenshots, ReplaceFile)
{
    Shoot("Replace File", "replace_file");
    mimic::CReplaceDlg(nullptr).DoModal();
}

TEST_F(Screenshots, HotkeyField)
{
    Shoot("Hotkey Field", "hotkey_field", [](ModalWindow &w) { w.TypeKey(VK_F5, true, true, true); });
    HotkeyDialog("Ctrl+Alt+Shift+F5 is already used by the host").DoModal();
}

TEST_F(Screenshots, ActionPropertiesNew)
{
    mimic::CTaskProperties dlg(Framework(), nullptr, Catalogue());
    mimic::ActionEntry initial;
    initial.strAccel = "Ctrl+3";
    dlg.SetInitialEntry(initial);
    Shoot("Action Properties", "action_properties_new",
          [](ModalWindow &w) { w.SetText(IDC_TP_NAME, "place_resistors"); });
    dlg.DoModal();
}

TEST_F(Screenshots, ActionPropertiesEdit)
{
    AddAction(localDir, "route_bus", "12", "Ctrl+Shift+R", "1");
    host->BindKey(CLSID_EditorDocument, FCONTROL, 'P', "Print Preview");
    mimic::ActionEntry edited = Catalogue().Entries().at(0);
    mimic::CTaskProperties dlg(Framework(), nullptr, catalogue);
    dlg.SetEditEntry(&edited);
    Shoot("Action Properties", "action_properties_edit", [](ModalWindow &w) { w.PressKey(IDC_TP_NEW, 'P', true); });
    dlg.DoModal();
}

TEST_F(Screenshots, ActionManager)
{
    AddAction(localDir, "place_resistors", nullptr, "Ctrl+1", "1");
    AddAction(localDir, "route_bus", nullptr, "", "0");
    AddAction(localDir, "rename_nets", nullptr, "Ctrl+Shift+R", "1");
    AddAction(globalDir, "export_bom", nullptr, "Alt+F7", "0");
    AddAction(globalDir, "check_rules", nullptr, "", "1");
    Shoot("Action Manager", "action_manager", [](ModalWindow &w) { SelectActions(w, {"route_bus"}); });
    mimic::CTaskManager(Framework(), nullptr, Catalogue()).DoModal();
}

TEST_F(Screenshots, AddActionFiles)
{
    for (const char *name : {"check_nets.pl", "place_resistors.pl", "route_bus.pl"})
        AddScript(localDir, name);
    CurrentFolder here(localDir);
    mimic::c_insertFileDlg dlg(nullptr);
    dlg.m_bCheckEnabled = 1;
    Shoot("Add Files (" + localDir + ")", "add_action_files");
    dlg.DoModal();
}

TEST_F(Screenshots, PlayerSettings)
{
    AddAction(localDir, "place_resistors", "3", "Ctrl+1", nullptr);
    AddAction(localDir, "route_bus", "1", "", nullptr);
    AddAction(globalDir, "export_bom", "12", "Alt+F7", nullptr);
    Shoot("Player Settings", "player_settings", [](ModalWindow &w) { SelectActions(w, {GridNames(w).at(0)}); });
    mimic::KMacroListDlg(nullptr, Catalogue()).DoModal();
}

TEST_F(Screenshots, Preferences)
{
    SetSetting("Local Path", "Current design folder");
    SetSetting("Global Path", "$(DESIGNS)\\Shared\\Actions");
    std::unique_ptr<mimic::CMimicProperty> page;
    refhost::RefOptionsDialog options([&](HWND hParent) {
        page = std::make_unique<mimic::CMimicProperty>(Framework(), hParent, Catalogue());
        return mimic::CMimicProperty::CreatePageWindow(page.get(), hParent);
    });
    Shoot(refhost::RefOptionsDialog::kCaption, "preferences",
          [&](ModalWindow &) { ModalWindow(options.Page()).Click(IDC_MP_TEMPORARY); });
    options.DoModal();
}

} // namespace
