#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"

using namespace testsupport;

namespace {

// Answering boxes and what they showed is every dialog test's; here, that the driver fails a test when a window
// goes unanswered, stays open or never comes, without which those tests could not fail.
TEST(ModalDriverTest, UnexpectedStuckAndMissingWindowsFailTheTest)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            answer = ::MessageBoxA(nullptr, "Surprise", "Nobody asked", MB_OK);
        },
        "unexpected window \"Nobody asked\": Surprise");
    EXPECT_EQ(answer, IDCANCEL) << "and is closed";
    answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver(300);
            driver.Expect("Stuck", [](ModalWindow &) {});
            answer = ::MessageBoxA(nullptr, "never answered", "Stuck", MB_YESNO);
        },
        "still open after 300 ms");
    EXPECT_EQ(answer, IDCANCEL) << "closed by the watchdog";
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            driver.Answer("Absent", IDOK);
        },
        "expected window \"Absent\" never appeared");
}

} // namespace
