#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/ModalDriver.h"

using namespace testsupport;

namespace {

TEST(ModalDriverTest, AnswersMessageBoxesInOrderAndRecordsWhatTheyShowed)
{
    ModalDriver driver;
    driver.Answer("Question", IDNO).Answer("Question", IDYES);
    EXPECT_EQ(::MessageBoxA(nullptr, "Go on?", "Question", MB_YESNO | MB_ICONWARNING), IDNO);
    EXPECT_EQ(::MessageBoxA(nullptr, "2", "Question", MB_YESNO | MB_ICONERROR), IDYES);
    ASSERT_EQ(driver.Seen().size(), 2u);
    EXPECT_EQ(driver.Seen()[0].caption, "Question");
    EXPECT_EQ(driver.Seen()[0].text, "Go on?");
    EXPECT_EQ(driver.Seen()[0].icon, MsgIcon::Warning);
    EXPECT_EQ(driver.Seen()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_TRUE(driver.Seen()[0].expected);
    EXPECT_EQ(driver.Seen()[1].icon, MsgIcon::Error);
    EXPECT_EQ(driver.Pending(), 0u);
}

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
