#include "core/log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_fd.h"

namespace gorv {
namespace {

TEST(Log, WritesLevelScopeAndMessageAsOneLine) {
    testing::CapturedFd captured;
    log_line("info", "gorv", "DEBUG MODE");
    report_error(Error::TimerUnsupported);
    EXPECT_EQ(captured.text(), "info(gorv): DEBUG MODE\nerror: TimerUnsupported\n");
}

TEST(Log, HeldLinesWaitForTheReleaseAndKeepTheirOrder) {
    testing::CapturedFd while_held;
    hold_log_lines();
    log_line("warning", "gorv", "Insufficient terminal dimensions: W 3, H 1");
    report_error(Error::OutOfMemory);
    EXPECT_EQ(while_held.text(), "");

    testing::CapturedFd after_release;
    release_log_lines();
    log_line("info", "gorv", "Exiting...");
    EXPECT_EQ(after_release.text(),
              "warning(gorv): Insufficient terminal dimensions: W 3, H 1\n"
              "error: OutOfMemory\n"
              "info(gorv): Exiting...\n");
}

TEST(Log, LinesBeyondTheHoldingSpaceAreNotLost) {
    testing::CapturedFd captured;
    hold_log_lines();
    const std::string long_message(900, 'x');
    for (int i = 0; i < 5; ++i)
        log_line("info", "gorv", long_message);
    release_log_lines();
    const std::string text = captured.text();
    const std::string line = "info(gorv): " + long_message + "\n";
    EXPECT_EQ(text, line + line + line + line + line);
}

}  // namespace
}  // namespace gorv
