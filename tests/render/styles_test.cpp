#include "render/styles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/render_state.h"
#include "render/symbols.h"
#include "support.h"
#include "term/memory_screen.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

using gorv::testing::CapturedFd;
using render_test::lines_of;
using render_test::MemoryScreen;
using render_test::Reference;

void set_up(RenderState& state, Style style, std::uint32_t width, std::uint32_t height,
            std::uint64_t seed = 42) {
    state.style = style;
    state.width = width;
    state.height = height;
    state.random.reseed(seed);
    ASSERT_TRUE(rebuild(state).has_value());
}

Status frame(RenderState& state) {
    return state.style == Style::rain ? rain_frame(state) : static_frame(state);
}

// One frame between tb_clear and tb_present on the memory screen.
void present_frame(RenderState& state) {
    tb_clear();
    ASSERT_TRUE(frame(state).has_value());
    tb_present();
}

bool shown(int x, int y) {
    return term_test::memory_screen_cell(x, y).ch != ' ';
}

TEST(StaticFrame, BinaryDebugFrameIsOneBitPerCellColumnByColumn) {
    RenderState state;
    state.debug = true;
    set_up(state, Style::default_, 12, 10);
    CapturedFd capture;
    ASSERT_TRUE(static_frame(state).has_value());
    capture.restore();
    Reference reference(42);
    std::string expected;
    for (int x = 0; x < 12; ++x)
        for (int y = 0; y < 10; ++y)
            expected += "info(gorv): " + std::to_string(reference.next() & 1) + ": " +
                        std::to_string(x) + "x" + std::to_string(y) + " 0/0\n";
    EXPECT_EQ(capture.text(), expected);
}

// Which cells a static style fills, against gaps at every step-th position.
TEST(StaticFrame, FillsEveryCellOutsideTheGaps) {
    struct Case {
        Style style;
        int width;
        int height;
        int column_step;  // 0: no gap columns
        int row_step;     // 0: no gap rows
    };
    const std::vector<Case> cases = {
        {Style::default_, 5, 3, 0, 0},  {Style::columns, 9, 4, 4, 0}, {Style::crypto, 12, 10, 5, 3},
        {Style::grid, 1, 1, 2, 2},      {Style::grid, 7, 5, 2, 2},    {Style::blocks, 25, 5, 10, 6},
        {Style::blocks, 21, 13, 10, 6},
    };
    for (const Case& c : cases) {
        MemoryScreen screen(c.width, c.height);
        ASSERT_TRUE(screen.opened());
        RenderState state;
        set_up(state, c.style, static_cast<std::uint32_t>(c.width),
               static_cast<std::uint32_t>(c.height));
        present_frame(state);
        Reference reference(42);
        for (int x = 0; x < c.width; ++x) {
            for (int y = 0; y < c.height; ++y) {
                const bool gap = (c.column_step && (x + 1) % c.column_step == 0) ||
                                 (c.row_step && (y + 1) % c.row_step == 0);
                EXPECT_EQ(shown(x, y), !gap) << static_cast<int>(c.style) << " " << x << "," << y;
                if (!gap) {
                    const auto bit = static_cast<char32_t>('0' + (reference.next() & 1));
                    EXPECT_EQ(term_test::memory_screen_cell(x, y).ch, bit);
                }
            }
        }
        // One draw per filled cell and no more.
        EXPECT_EQ(state.random.next(), reference.next());
    }
}

TEST(Frames, EmptyScreensDrawNothingAndMakeNoDraw) {
    for (const Style style : {Style::default_, Style::columns, Style::crypto, Style::grid,
                              Style::blocks, Style::rain}) {
        for (const auto& [width, height] : {std::pair{0u, 0u}, {0u, 5u}, {5u, 0u}}) {
            RenderState state;
            state.debug = true;
            set_up(state, style, width, height);
            CapturedFd capture;
            for (int i = 0; i < 20; ++i)
                ASSERT_TRUE(frame(state).has_value());
            capture.restore();
            EXPECT_EQ(capture.text(), "");
            if (width == 0 || style != Style::rain) {
                EXPECT_EQ(state.random.next(), Reference(42).next()) << static_cast<int>(style);
            }
        }
    }
}

// The screen shows what the debug lines of the same frame say: each logged text's
// character with its attribute words at its position, and blanks elsewhere.
TEST(StaticFrame, ScreenShowsWhatTheDebugLinesSay) {
    constexpr unsigned width = 13;
    constexpr unsigned height = 7;
    for (const Mode mode : {Mode::binary, Mode::decimal, Mode::hexadecimal, Mode::textual}) {
        for (const Style style : {Style::default_, Style::crypto}) {
            auto prepare = [&](RenderState& state) {
                state.mode = mode;
                state.fg = TB_MAGENTA;
                state.accents =
                    std::vector{Accent::bold, Accent::bright, Accent::dim, Accent::pulse};
                set_up(state, style, width, height, 9);
            };
            RenderState logged;
            logged.debug = true;
            prepare(logged);
            CapturedFd capture;
            ASSERT_TRUE(static_frame(logged).has_value());
            capture.restore();

            MemoryScreen screen(width, height);
            ASSERT_TRUE(screen.opened());
            RenderState drawn;
            prepare(drawn);
            present_frame(drawn);

            std::vector<term_test::MemoryCell> expected(std::size_t{width} * height, {' ', 0, 0});
            for (const std::string& line : lines_of(capture.text())) {
                // info(gorv): TEXT: XxY FG/BG
                const std::size_t text_end = line.find(": ", 12);
                unsigned x = 0, y = 0, fg = 0, bg = 0;
                ASSERT_EQ(std::sscanf(line.c_str() + text_end + 2, "%ux%u %u/%u", &x, &y, &fg, &bg),
                          4);
                std::uint32_t ch = 0;
                ASSERT_GT(tb_utf8_char_to_unicode(&ch, line.substr(12, text_end - 12).c_str()), 0);
                expected.at(std::size_t{y} * width + x) = {ch, static_cast<uintattr_t>(fg),
                                                           static_cast<uintattr_t>(bg)};
            }
            for (unsigned y = 0; y < height; ++y) {
                for (unsigned x = 0; x < width; ++x) {
                    const term_test::MemoryCell cell =
                        term_test::memory_screen_cell(static_cast<int>(x), static_cast<int>(y));
                    const term_test::MemoryCell& want = expected[std::size_t{y} * width + x];
                    EXPECT_EQ(cell.ch, want.ch) << x << "," << y;
                    EXPECT_EQ(cell.fg, want.fg) << x << "," << y;
                    EXPECT_EQ(cell.bg, want.bg) << x << "," << y;
                }
            }
        }
    }
}

// After many frames, with the columns' rings turned every way, the screen shows exactly the
// visible cells of the columns, row y of a column at row y of the screen.
TEST(RainFrame, ScreenShowsTheVisibleCellsOfTheColumns) {
    for (const auto& [width, height] : {std::pair{9u, 5u}, {6u, 64u}, {4u, 67u}, {3u, 130u}}) {
        MemoryScreen screen(static_cast<int>(width), static_cast<int>(height));
        ASSERT_TRUE(screen.opened());
        RenderState state;
        state.mode = Mode::textual;
        state.accents = std::vector{Accent::bold, Accent::pulse};
        set_up(state, Style::rain, width, height, width + height);
        for (int i = 0; i < 400; ++i) {
            present_frame(state);
            if (i % 37 != 0) continue;
            for (std::uint32_t x = 0; x < width; ++x) {
                for (std::uint32_t y = 0; y < height; ++y) {
                    const Cell& cell = state.columns[x].cells[y];
                    const term_test::MemoryCell shown_cell =
                        term_test::memory_screen_cell(static_cast<int>(x), static_cast<int>(y));
                    const std::uint32_t want =
                        cell.visible ? symbol_code_point(cell.symbol.value, Mode::textual) : U' ';
                    ASSERT_EQ(shown_cell.ch, want)
                        << width << "x" << height << " " << x << "," << y;
                    ASSERT_EQ(shown_cell.fg, cell.visible ? cell.symbol.fg : 0u);
                    ASSERT_EQ(shown_cell.bg, cell.visible ? cell.symbol.bg : 0u);
                }
            }
        }
    }
}

TEST(RainFrame, DebugFrameOnTwoByTwoWorkedByHand) {
    // Outputs of seed 42, low bytes: 9F 91 8C B8 73 7D 56 46 C7 D4 42 ...
    // Build: column 0 holds 1, 1 and column 1 holds 0, 0; both inactive.
    // Toggle: bit 1; c1 = 0 (inactive, no cooldown draw); c2 = 0, activated.
    // Move: column 0 moves (bit 0), r: x = 7 -> 49 >> 3 = 6, run 1 >= 2 / 2: empty top.
    //       column 1 moves (bit 0), inactive: empty top.
    RenderState state;
    state.debug = true;
    set_up(state, Style::rain, 2, 2);
    CapturedFd capture;
    ASSERT_TRUE(rain_frame(state).has_value());
    capture.restore();
    EXPECT_EQ(capture.text(), "info(gorv): 1: 0x1 0/0\ninfo(gorv): 0: 1x1 0/0\n");
    EXPECT_EQ(state.random.next(), 0x8F3DFA98020E7942ULL);  // the eleventh output
    EXPECT_TRUE(state.columns[0].active);
    EXPECT_FALSE(state.columns[1].active);
}

TEST(RainFrame, FirstDropOnOneByTwoWorkedByHand) {
    // Frame 1: toggle bit 1, c1 = 0 is active: off with factor 0, c2 = 0 back on;
    //          move bit 1. Frame 2: the same toggle; move bit 0, r = 1 < 3: empty top.
    // Frame 3: the same toggle; move bit 0, r: x = 6 -> 42 >> 3 = 5, run 0, extra bit 0,
    //          so a symbol with the bit of the byte FC: "0" in the top row.
    MemoryScreen screen(1, 2);
    ASSERT_TRUE(screen.opened());
    RenderState state;
    set_up(state, Style::rain, 1, 2);
    for (int i = 0; i < 2; ++i) {
        present_frame(state);
        EXPECT_FALSE(shown(0, 0));
        EXPECT_FALSE(shown(0, 1));
    }
    present_frame(state);
    EXPECT_EQ(term_test::memory_screen_cell(0, 0).ch, U'0');
    EXPECT_FALSE(shown(0, 1));
    EXPECT_EQ(state.random.next(), 0x7784CB89E2481D7BULL);  // the twentieth output
}

TEST(RainFrame, HeightOneNeverShowsASymbol) {
    for (const std::uint32_t width : {1u, 4u, 30u}) {
        MemoryScreen screen(static_cast<int>(width), 1);
        ASSERT_TRUE(screen.opened());
        RenderState state;
        state.accents = std::vector{Accent::dim};
        set_up(state, Style::rain, width, 1, width);
        for (int i = 0; i < 500; ++i) {
            present_frame(state);
            for (std::uint32_t x = 0; x < width; ++x)
                ASSERT_FALSE(shown(static_cast<int>(x), 0));
        }
    }
}

TEST(RainFrame, DropsNeverExceedHalfTheHeight) {
    for (const auto& [width, height] :
         {std::pair{5u, 2u}, {5u, 3u}, {7u, 4u}, {9u, 7u}, {20u, 24u}, {3u, 100u}}) {
        RenderState state;
        state.accents = std::vector{Accent::dim, Accent::bold};
        set_up(state, Style::rain, width, height, width * 1000 + height);
        std::uint32_t longest = 0;
        for (int i = 0; i < 3000; ++i) {
            ASSERT_TRUE(rain_frame(state).has_value());
            ASSERT_EQ(state.columns.size(), width);
            for (const Column& column : state.columns) {
                ASSERT_EQ(column.cells.size(), height);
                ASSERT_EQ(column.cells.capacity(), height);
                ASSERT_TRUE(!column.active || column.cooldown == 0);
                ASSERT_LE(column.cooldown, 2 * height);
                std::uint32_t run = 0;
                for (const Cell& cell : column.cells) {
                    run = cell.visible ? run + 1 : 0;
                    ASSERT_LE(run, height / 2) << width << "x" << height;
                    longest = std::max(longest, run);
                }
            }
        }
        // Small heights reach the limit; tall ones rarely grow that far.
        if (height <= 7) {
            EXPECT_EQ(longest, height / 2) << width << "x" << height;
        }
    }
}

TEST(RainFrame, DebugBuildStartsInactiveAndFull) {
    RenderState state;
    state.debug = true;
    set_up(state, Style::rain, 12, 10);
    CapturedFd capture;
    ASSERT_TRUE(rain_frame(state).has_value());
    capture.restore();
    std::size_t inactive = 0;
    for (const Column& column : state.columns) {
        inactive += !column.active;
        std::size_t visible = 0;
        for (const Cell& cell : column.cells)
            visible += cell.visible;
        EXPECT_GE(visible, 9u);  // at most the top cell was replaced by an empty one
    }
    EXPECT_GE(inactive, 11u);  // only the toggle may have activated one
    EXPECT_GE(lines_of(capture.text()).size(), 108u);
}

}  // namespace
}  // namespace gorv
