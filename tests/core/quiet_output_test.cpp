#include "tests/support/quiet_output.h"

#include "core/message.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

// The program's messages during a test land in the test's buffer, not on the
// console, also across the full reset every fixture starts with; a capture
// sees only what came after it began.
TEST(QuietOutput, MessagesGoToTheTestsBufferAcrossTheFreshStart) {
    testing::internal::CaptureStdout();
    con_printf("before the reset\n");
    fresh_state();
    OutputCapture capture;
    con_printf("after the reset %d\n", 2);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console, "");
    EXPECT_EQ(capture.text(), "after the reset 2\n");
    EXPECT_EQ(quiet_output_text(), "before the reset\nafter the reset 2\n");
    capture.restart();
    EXPECT_EQ(capture.text(), "");
}
