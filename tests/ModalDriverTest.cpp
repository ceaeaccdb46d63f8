#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"

using namespace testsupport;

namespace {

// That the driver fails a test when a window comes unasked or never comes, without which the dialog tests could not
// fail. (A window left open ends in the watchdog's failure or, without it, in the time-out: the test fails.)
TEST(ModalDriverTest, UnexpectedAndMissingWindowsFailTheTest)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            answer = ::MessageBoxA(nullptr, "Surprise", "Nobody asked", MB_OK);
        },
        "unexpected window \"Nobody asked\": Surprise");
    EXPECT_EQ(answer, IDCANCEL) << "and is closed";
    EXPECT_NONFATAL_FAILURE(
        {
            ModalDriver driver;
            driver.Answer("Absent", IDOK);
        },
        "expected window \"Absent\" never appeared");
}

} // namespace
