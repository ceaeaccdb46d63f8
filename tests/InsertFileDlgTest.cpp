#include <gtest/gtest.h>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/TestFolders.h"
#include "ui/InsertFileDlg.h"
#include "ui/resource.h"

using namespace testsupport;
using Paths = std::vector<std::string>;

namespace {

class InsertFileDlgTest : public ::testing::Test
{
protected:
    InsertFileDlgTest()
    {
        ::GetCurrentDirectoryA(MAX_PATH, saved);
        for (const char *name : {"a.pl", "b.pl", "c.pl"})
            WriteTextFile(folder / name, "# action\n");
        MakeFolder(folder / "sub");
    }
    // The folder cannot go while it is the current one.
    ~InsertFileDlgTest() override { ::SetCurrentDirectoryA(saved); }

    INT_PTR Run(int makeGlobal, int checkEnabled, ModalDriver::Step step)
    {
        ::SetCurrentDirectoryA(folder.Path().c_str());
        dlg = std::make_unique<mimic::c_insertFileDlg>(nullptr);
        ::SetCurrentDirectoryA((folder / "sub").c_str()); // too late: the dialog opens where it was made
        dlg->m_bMakeGlobal = makeGlobal;
        dlg->m_bCheckEnabled = checkEnabled;
        driver.Expect("Add Files (" + folder.Path() + ")", std::move(step));
        return dlg->DoModal();
    }

    // Types into the platform's file-name field and presses the file dialog's OK button.
    static void Open(ModalWindow &w, const std::string &names)
    {
        ::SetWindowTextA(w.FindChild("Edit", 0x47C), names.c_str());
        w.Click(IDOK);
    }
    static HWND Box(ModalWindow &w) { return w.FindChild("Button", IDC_AF_GLOBAL); }

    char saved[MAX_PATH] = {};
    TempFolder folder;
    ModalDriver driver;
    std::unique_ptr<mimic::c_insertFileDlg> dlg;
};

// Each run first tries a missing file, which is refused with the dialog staying and nothing stored. The platform's
// message box bears the title the dialog was given, not the one it shows.
TEST_F(InsertFileDlgTest, TheBoxStartsAsSetUpAndCountsOnlyWhenConfirmed)
{
    const std::tuple<int, int, const char *, Paths, int> cases[] = {
        {0, 1, "a.pl", {folder / "a.pl"}, 1},
        {1, 1, "\"c.pl\" \"a.pl\" \"b.pl\"", {folder / "c.pl", folder / "a.pl", folder / "b.pl"}, 0},
        {1, 0, "b.pl", {folder / "b.pl"}, 1},
        {1, 1, nullptr, {}, 1}, // Cancel
    };
    for (const auto &[makeGlobal, enabled, names, paths, madeGlobal] : cases)
    {
        SCOPED_TRACE(names ? names : "Cancel");
        if (names)
            driver.Expect("Add action files", [](ModalWindow &box) {
                EXPECT_NE(box.MessageText().find("missing.pl"), std::string::npos) << box.MessageText();
                box.Click(IDOK);
            });
        const auto step = [&, makeGlobal = makeGlobal, names = names](ModalWindow &w) {
            if (::IsWindowEnabled(Box(w)))
                ::SendMessageA(Box(w), BM_CLICK, 0, 0);
            if (!names)
                return w.Click(IDCANCEL);
            Open(w, "\"a.pl\" \"missing.pl\"");
            EXPECT_EQ(dlg->m_bMakeGlobal, makeGlobal) << "a refused confirmation stores nothing";
            Open(w, names);
        };
        EXPECT_EQ(Run(makeGlobal, enabled, step), names ? IDOK : IDCANCEL);
        EXPECT_EQ(dlg->GetPathNames(), paths);
        EXPECT_EQ(dlg->m_bMakeGlobal, madeGlobal);
    }
}

} // namespace
