#include "app/session.h"

#include <gtest/gtest.h>

#include "support/captured_fd.h"
#include "term/memory_screen.h"

namespace gorv {
namespace {

TEST(ReadTerminalSize, TakesTheSizeOfTheScreen) {
    ASSERT_EQ(term_test::memory_screen_open(3, 1), TB_OK);
    RenderState state;
    testing::CapturedFd capture;
    read_terminal_size(state);
    (void)tb_shutdown();
    capture.restore();
    EXPECT_EQ(state.width, 3u);
    EXPECT_EQ(state.height, 1u);
    EXPECT_FALSE(state.debug);
    EXPECT_EQ(capture.text(), "");
}

TEST(ReadTerminalSize, FallsBackToDebugModeWhenTheSizeCannotBeRead) {
    RenderState state;
    testing::CapturedFd capture;
    read_terminal_size(state);
    capture.restore();
    EXPECT_TRUE(state.debug);
    EXPECT_EQ(state.width, 12u);
    EXPECT_EQ(state.height, 10u);
    EXPECT_EQ(capture.text(),
              "warning(gorv): Unable to read terminal size! Debug mode activated.\n");
}

TEST(ReadTerminalSize, DebugModeAlwaysUsesTwelveByTen) {
    ASSERT_EQ(term_test::memory_screen_open(200, 60), TB_OK);
    RenderState state;
    state.debug = true;
    testing::CapturedFd capture;
    read_terminal_size(state);
    (void)tb_shutdown();
    capture.restore();
    EXPECT_EQ(state.width, 12u);
    EXPECT_EQ(state.height, 10u);
    EXPECT_EQ(capture.text(), "");
}

TEST(MinimumSize, RefusesBelowFourByTwoWithTheRealSize) {
    struct Case {
        std::uint32_t width, height;
        bool refused;
        const char* warning;
    };
    const Case cases[] = {
        {3, 1, true, "warning(gorv): Insufficient terminal dimensions: W 3, H 1\n"},
        {4, 1, true, "warning(gorv): Insufficient terminal dimensions: W 4, H 1\n"},
        {3, 2, true, "warning(gorv): Insufficient terminal dimensions: W 3, H 2\n"},
        {0, 0, true, "warning(gorv): Insufficient terminal dimensions: W 0, H 0\n"},
        {4, 2, false, nullptr},
        {80, 24, false, nullptr},
    };
    for (const Case& c : cases) {
        RenderState state;
        state.width = c.width;
        state.height = c.height;
        EXPECT_EQ(below_minimum(state), c.refused) << c.width << "x" << c.height;
        if (!c.refused) continue;
        testing::CapturedFd capture;
        log_insufficient_dimensions(state);
        capture.restore();
        EXPECT_EQ(capture.text(), c.warning);
    }
}

}  // namespace
}  // namespace gorv
