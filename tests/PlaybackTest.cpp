#include <gtest/gtest.h>
#include <string_view>

#include "core/MacroRecorder.h"
#include "core/Playback.h"
#include "base/Text.h"
#include "host/GridCtrl.h"
#include "host/baseutil.h"
#include "host/hostapi.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/resource.h"

using mimic::UniqueBstr;
using namespace std::string_view_literals;
using namespace testsupport;

namespace {

class PlaybackTest : public HostFixture
{
protected:
    void SetUp() override
    {
        for (auto [name, accel, repeat] : {std::tuple{"fix", "Ctrl+3", "4"}, {"plain", "", "2"}})
        {
            AddScript(localDir, std::string(name) + ".pl");
            WriteIni(localDir, name, "Accel", accel);
            WriteIni(localDir, name, "PlayMode", repeat);
        }
        catalogue.SetFramework(Framework());
    }
    // A null list is no list at all; the view's NULs go into the BSTR.
    HRESULT Play(std::string_view files)
    {
        const std::wstring wide = mimic::WideFromNarrow(files.data(), static_cast<int>(files.size()));
        UniqueBstr list(files.data() ? ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())) : nullptr);
        BSTR raw = list.get();
        return mimic::PlayLastMacro(Framework(), &raw);
    }
    int IdOf(const char *name)
    {
        for (const mimic::ActionEntry &e : catalogue.Entries())
            if (e.strName == name)
                return e.nCmdId;
        return -99;
    }

    mimic::ActionCatalogue catalogue;
    mimic::KMacroRecorder recorder{Framework(), 7, catalogue};
};

TEST_F(PlaybackTest, TheLastActionIsPlayedOncePerFileAsStored)
{
    struct Case
    {
        const char *what;
        std::string_view files;
        DWORD stored;
        HRESULT hr;
        std::vector<std::string> lines;
    };
    const std::string s = "runscript -perl {C:\\a.pl} -1 {";
    const Case cases[] = {
        {"one line per file", "a.bde\nb.bde", 3, S_OK, {s + "a.bde} 3", s + "b.bde} 3"}},
        {"a stored 0 plays once", "x.bde", 0, S_OK, {s + "x.bde} 1"}},
        {"the dialogs' largest count", "x.bde", 999, S_OK, {s + "x.bde} 999"}},
        {"a count above the dialogs' plays once", "x.bde", 1000, S_OK, {s + "x.bde} 1"}},
        {"a negative count plays once", "x.bde", static_cast<DWORD>(-2), S_OK, {s + "x.bde} 1"}},
        {"no file", "", 3, S_FALSE, {}},
        {"no list at all", {}, 3, S_FALSE, {}},
        {"a NUL ends the list", "a.bde\0b.bde\n"sv, 3, S_OK, {s + "a.bde} 3"}},
        {"empty lines and CR LF", "x.bde\r\n\r\ny {1}.bde\n", 3, S_OK, {s + "x.bde} 3", s + "y {1}.bde} 3"}},
    };
    SetSetting("Last Macro Path", "C:\\a.pl");
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        baseutil::WriteNumberToReg(mimic::UniqueHKey(hostapi::GetPlugInRegKey(Framework(), CLSID_MimicPlugIn)).get(),
                                   "Defaul Repeat Count", c.stored);
        size_t before = host->CommandLines().size();
        EXPECT_EQ(Play(c.files), c.hr);
        std::vector<std::string> issued(host->CommandLines().begin() + static_cast<long>(before),
                                        host->CommandLines().end());
        EXPECT_EQ(issued, c.lines);
    }
}

TEST_F(PlaybackTest, HotkeysAndCommandIdsMapToActions)
{
    int id = -7;
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, "ctrl+3", &id), S_OK);
    EXPECT_EQ(id, IdOf("fix"));
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, "", &id), S_OK);
    EXPECT_EQ(id, IdOf("plain")) << "the empty text finds the first action without a hotkey";
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, "Ctrl+9", &id), S_FALSE);
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, nullptr, &id), S_FALSE) << "no text finds nothing";
    EXPECT_EQ(id, IdOf("plain")) << "untouched";

    long times = -7;
    UniqueBstr path;
    EXPECT_EQ(mimic::GetTaskPlayInfoFromCmdId(catalogue, static_cast<UINT>(IdOf("fix")), &times, path.put()),
              S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(path.get()), localDir + "\\fix.pl");
    EXPECT_EQ(times, 4);
    times = -7;
    BSTR untouched = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(mimic::GetTaskPlayInfoFromCmdId(catalogue, 12345, &times, &untouched), S_FALSE);
    EXPECT_EQ(times, -7);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(1));

    UniqueBstr accel;
    EXPECT_EQ(recorder.GetAccelForCommand(IdOf("fix"), accel.put()), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(accel.get()), "Ctrl+3");
    EXPECT_EQ(recorder.GetAccelForCommand(IdOf("plain"), accel.put()), S_OK);
    EXPECT_EQ(mimic::NarrowFromBstr(accel.get()), "");
    EXPECT_EQ(recorder.GetAccelForCommand(-1, &untouched), S_FALSE);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(1));
}

TEST_F(PlaybackTest, AChosenActionBecomesTheLastAction)
{
    long times = -7;
    BSTR path = reinterpret_cast<BSTR>(1);
    {
        ModalDriver driver;
        driver.Answer("Player Settings", IDCANCEL);
        recorder.ChooseActionToPlay(nullptr, &times, &path);
    }
    EXPECT_EQ(times, -7);
    EXPECT_EQ(path, reinterpret_cast<BSTR>(1));
    EXPECT_EQ(Play("x.bde"), S_OK);
    EXPECT_TRUE(host->CommandLines().empty()) << "nothing was chosen";

    {
        ModalDriver driver;
        driver.Expect("Player Settings", [](ModalWindow &w) {
            KGridCtrl grid;
            grid.Attach(::GetDlgItem(w.Handle(), IDC_PS_GRID));
            for (auto it = grid.begin(GCRS_ALL); it != grid.end(); ++it)
                grid.SelectRow(*it, reinterpret_cast<mimic::ActionEntry *>(grid.GetRowParam(*it))->strName == "fix");
            w.SetText(IDC_PS_REPEAT, "6");
            w.Click(IDOK);
        });
        recorder.ChooseActionToPlay(nullptr, &times, &path);
    }
    UniqueBstr owned(path);
    EXPECT_EQ(mimic::NarrowFromBstr(owned.get()), localDir + "\\fix.pl");
    EXPECT_EQ(times, 6);
    EXPECT_EQ(Play("x.bde"), S_OK);
    EXPECT_EQ(host->CommandLines(), std::vector<std::string>{"runscript -perl {" + localDir + "\\fix.pl} -1 {x.bde} 6"});
}

} // namespace
