#include "render/opening.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/terminal_lock.h"
#include "support.h"
#include "term/memory_screen.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

using gorv::testing::CapturedFd;
using render_test::lines_of;
using render_test::MemoryScreen;

struct Glyph {
    char32_t ch;
    int dx;  // from width / 2
    int dy;  // from height / 2
};

// The running glyph of each of the 25 steps.
const std::vector<Glyph> glyph_steps = {
    {U'│', -4, 0},  {U'┌', -4, -1}, {U'─', -3, -1}, {U'─', -2, -1}, {U'─', -1, -1},
    {U'─', 0, -1},  {U'─', 1, -1},  {U'┐', 3, -1},  {U'│', 3, 0},   {U'┘', 3, 1},
    {U'─', 2, 1},   {U'─', 1, 1},   {U'─', 0, 1},   {U'─', -1, 1},  {U'─', -2, 1},
    {U'└', -4, 1},  {U'│', -4, 0},  {U'┌', -4, -1}, {U'─', -3, -1}, {U'─', -2, -1},
    {U'─', -1, -1}, {U'─', 0, -1},  {U'─', 1, -1},  {U'┐', 3, -1},  {U'│', 3, 0},
};

bool is_box(char32_t ch) {
    return ch >= 0x2500 && ch <= 0x257F;
}

void draw_step(RenderState& state, std::uint32_t k) {
    tb_clear();
    ASSERT_TRUE(draw_opening_step(state, k).has_value());
    tb_present();
}

// Checks the screen after step k: the name cells, the single glyph where it belongs on
// the screen, and nothing else.
void expect_step(int width, int height, std::uint32_t k) {
    const int w = width / 2;
    const int h = height / 2;
    const Glyph& glyph = glyph_steps[k];
    const int gx = w + glyph.dx;
    const int gy = h + glyph.dy;
    const bool glyph_on_screen = gx >= 0 && gx < width && gy >= 0 && gy < height;
    int boxes = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const term_test::MemoryCell cell = term_test::memory_screen_cell(x, y);
            const int name_index = y == h ? x - (w - 2) : -1;
            if (name_index >= 0 && name_index < 4) {
                const std::uint32_t reveal = 6 + 5 * static_cast<std::uint32_t>(name_index);
                if (k >= reveal) {
                    EXPECT_EQ(cell.ch, static_cast<char32_t>("GORV"[name_index])) << k;
                    EXPECT_EQ(cell.fg, TB_GREEN | TB_BOLD) << k;
                } else {
                    EXPECT_TRUE(cell.ch == U'0' || cell.ch == U'1') << k;
                    // A symbol carries its own accents.
                    EXPECT_EQ(cell.fg & ~TB_BOLD, TB_GREEN) << k;
                }
            } else if (glyph_on_screen && x == gx && y == gy) {
                EXPECT_EQ(cell.ch, glyph.ch) << k;
                EXPECT_EQ(cell.fg, TB_GREEN) << k;
                EXPECT_EQ(cell.bg, 0) << k;
            } else {
                EXPECT_EQ(cell.ch, static_cast<char32_t>(' ')) << k << " " << x << "," << y;
            }
            boxes += is_box(cell.ch);
        }
    }
    EXPECT_EQ(boxes, glyph_on_screen ? 1 : 0) << k;
}

TEST(Opening, EveryStepOnEightyByTwentyFour) {
    MemoryScreen screen(80, 24);
    ASSERT_TRUE(screen.opened());
    RenderState state;
    state.width = 80;
    state.height = 24;
    state.fg = TB_GREEN;
    state.accents = std::vector{Accent::bold};  // the letters are bold whatever the accents
    state.random.reseed(42);
    for (std::uint32_t k = 0; k < opening_steps; ++k) {
        draw_step(state, k);
        expect_step(80, 24, k);
    }
    // After step 21 the whole name stands at x = 38..41 on row 12.
    for (int x = 38; x <= 41; ++x)
        EXPECT_EQ(term_test::memory_screen_cell(x, 12).fg, TB_GREEN | TB_BOLD);
    EXPECT_EQ(term_test::memory_screen_cell(43, 12).ch, U'│');
}

TEST(Opening, SmallestScreenWrapsLeftOfZeroAndDrawsNothingThere) {
    MemoryScreen screen(4, 2);
    ASSERT_TRUE(screen.opened());
    RenderState state;
    state.width = 4;
    state.height = 2;
    state.fg = TB_GREEN;
    state.random.reseed(42);
    for (std::uint32_t k = 0; k < opening_steps; ++k) {
        draw_step(state, k);
        expect_step(4, 2, k);
    }
}

TEST(Opening, DebugStepLogsTheWrappedPosition) {
    RenderState state;
    state.debug = true;
    state.width = 4;
    state.height = 2;
    state.random.reseed(42);
    CapturedFd capture;
    ASSERT_TRUE(draw_opening_step(state, 0).has_value());
    ASSERT_TRUE(draw_opening_step(state, 21).has_value());
    capture.restore();
    // Step 0: four symbols (bits of the bytes 9F 91 8C B8), then the side at W - 4.
    // Step 21: the four letters in bold and the top run at W.
    const std::vector<std::string> expected = {
        "info(gorv): 1: 0x1 0/0",   "info(gorv): 1: 1x1 0/0",          "info(gorv): 0: 2x1 0/0",
        "info(gorv): 0: 3x1 0/0",   "info(gorv): │: 4294967294x1 0/0", "info(gorv): G: 0x1 256/0",
        "info(gorv): O: 1x1 256/0", "info(gorv): R: 2x1 256/0",        "info(gorv): V: 3x1 256/0",
        "info(gorv): ─: 2x0 0/0",
    };
    EXPECT_EQ(lines_of(capture.text()), expected);
}

TEST(Opening, ShowsTwentyFiveStepsAndReleasesTheTerminalLock) {
    MemoryScreen screen(80, 24);
    ASSERT_TRUE(screen.opened());
    RenderState state;
    state.width = 80;
    state.height = 24;
    state.fg = TB_GREEN;
    const int presents = term_test::memory_screen_presents();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(show_opening(state).has_value());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(term_test::memory_screen_presents() - presents, 25);
    EXPECT_GE(elapsed, std::chrono::nanoseconds(25LL * 39'730'492));
    EXPECT_TRUE(terminal_lock().try_lock());
    terminal_lock().unlock();
    expect_step(80, 24, 24);
}

}  // namespace
}  // namespace gorv
