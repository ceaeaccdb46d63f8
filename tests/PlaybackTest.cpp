#include <gtest/gtest.h>
#include <string_view>

#include "core/MacroRecorder.h"
#include "core/Playback.h"
#include "base/Text.h"
#include "library/ActionCatalogue.h"
#include "tests/support/HostFixture.h"
#include "tests/support/ModalDriver.h"

using mimic::UniqueBstr;
using namespace std::string_view_literals;
using namespace testsupport;

namespace {

class PlaybackTest : public HostFixture
{
protected:
    void SetUp() override
    {
        AddAction(localDir, "fix", "4", "Ctrl+3", nullptr);
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

    mimic::ActionCatalogue catalogue;
    mimic::KMacroRecorder recorder{Framework(), 7, catalogue};
};

TEST_F(PlaybackTest, TheLastActionIsPlayedOncePerFileAsStored)
{
    const std::string s = "runscript -perl {C:\\a.pl} -1 {";
    const struct
    {
        const char *what;
        std::string_view files;
        DWORD stored;
        HRESULT hr;
        std::vector<std::string> lines;
    } cases[] = {
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
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.what);
        SetNumber("Defaul Repeat Count", c.stored);
        const long before = static_cast<long>(host->CommandLines().size());
        EXPECT_EQ(Play(c.files), c.hr);
        EXPECT_EQ(std::vector<std::string>(host->CommandLines().begin() + before, host->CommandLines().end()), c.lines);
    }
}

// What each id and hotkey finds is asked of thousands of actions in the endurance test, and what a choice plays
// in the host app and fault tests; here, what finds or chooses nothing.
TEST_F(PlaybackTest, WhatFindsOrChoosesNoActionLeavesTheOutParametersAlone)
{
    int id = -7;
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, "Ctrl+9", &id), S_FALSE);
    EXPECT_EQ(mimic::GetCommandIdFromAccel(catalogue, nullptr, &id), S_FALSE) << "no text finds nothing";
    EXPECT_EQ(id, -7);
    long times = -7;
    BSTR untouched = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(mimic::GetTaskPlayInfoFromCmdId(catalogue, 12345, &times, &untouched), S_FALSE);
    EXPECT_EQ(recorder.GetAccelForCommand(-1, &untouched), S_FALSE);
    {
        ModalDriver driver;
        driver.Answer("Player Settings", IDCANCEL);
        recorder.ChooseActionToPlay(nullptr, &times, &untouched);
    }
    EXPECT_EQ(times, -7);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(1));
    EXPECT_EQ(Play("x.bde"), S_OK);
    EXPECT_TRUE(host->CommandLines().empty()) << "nothing was chosen";
}

} // namespace
