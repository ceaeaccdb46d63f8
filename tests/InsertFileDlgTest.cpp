#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"
#include "tests/support/TestFolders.h"
#include "ui/InsertFileDlg.h"
#include "ui/resource.h"

using namespace testsupport;
using Paths = std::vector<std::string>;

namespace {

// Each run first tries a missing file, which is refused with the dialog staying and nothing stored. The platform's
// message box bears the title the dialog was given, not the one it shows.
TEST(InsertFileDlgTest, TheBoxStartsAsSetUpAndCountsOnlyWhenConfirmed)
{
    TempFolder folder;
    for (const char *name : {"a.pl", "b.pl", "c.pl"})
        WriteTextFile(folder / name, "# action\n");
    MakeFolder(folder / "sub");
    const std::tuple<int, int, const char *, Paths, int> cases[] = {
        {0, 1, "a.pl", {folder / "a.pl"}, 1},
        {1, 1, "\"c.pl\" \"a.pl\" \"b.pl\"", {folder / "c.pl", folder / "a.pl", folder / "b.pl"}, 0},
        {1, 0, "b.pl", {folder / "b.pl"}, 1},
        {1, 1, nullptr, {}, 1}, // Cancel
    };
    for (const auto &[makeGlobal, enabled, names, paths, madeGlobal] : cases)
    {
        SCOPED_TRACE(names ? names : "Cancel");
        CurrentFolder here(folder.Path());
        mimic::c_insertFileDlg dlg(nullptr);
        ::SetCurrentDirectoryA((folder / "sub").c_str()); // too late: the dialog opens where it was made
        dlg.m_bMakeGlobal = makeGlobal;
        dlg.m_bCheckEnabled = enabled;
        ModalDriver driver;
        if (names)
            driver.Expect("Add action files", [](ModalWindow &box) {
                EXPECT_NE(box.MessageText().find("missing.pl"), std::string::npos) << box.MessageText();
                box.Click(IDOK);
            });
        const auto step = [&, makeGlobal = makeGlobal, names = names](ModalWindow &w) {
            if (HWND box = w.FindChild("Button", IDC_AF_GLOBAL); ::IsWindowEnabled(box))
                ::SendMessageA(box, BM_CLICK, 0, 0);
            if (!names)
                return w.Click(IDCANCEL);
            for (const char *typed : {"\"a.pl\" \"missing.pl\"", names}) // into the platform's file-name field
            {
                EXPECT_EQ(dlg.m_bMakeGlobal, makeGlobal) << "a refused confirmation stores nothing";
                ::SetWindowTextA(w.FindChild("Edit", 0x47C), typed);
                w.Click(IDOK);
            }
        };
        EXPECT_EQ(RunModal(dlg, "Add Files (" + folder.Path() + ")", step, &driver), names ? IDOK : IDCANCEL);
        EXPECT_EQ(dlg.GetPathNames(), paths);
        EXPECT_EQ(dlg.m_bMakeGlobal, madeGlobal);
    }
}

} // namespace
