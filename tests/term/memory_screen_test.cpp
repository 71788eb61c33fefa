#include "term/memory_screen.h"

#include <gtest/gtest.h>

#include <climits>

#include "term/termbox2.h"

namespace {

using term_test::memory_screen_cell;
using term_test::memory_screen_open;

class MemoryScreen : public ::testing::Test {
  protected:
    void TearDown() override { tb_shutdown(); }
};

TEST(TerminalLayer, EveryFunctionRefusesBeforeInit) {
    EXPECT_EQ(tb_shutdown(), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_width(), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_height(), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_clear(), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_set_cell(0, 0, 'x', 0, 0), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_present(), TB_ERR_NOT_INIT);
    int ttyfd = 7;
    int resizefd = 7;
    EXPECT_EQ(tb_get_fds(&ttyfd, &resizefd), TB_ERR_NOT_INIT);
    tb_event ev{};
    ev.type = 9;
    ev.ch = 9;
    EXPECT_EQ(tb_peek_event(&ev, 0), TB_ERR_NOT_INIT);
    EXPECT_EQ(ev.type, 0);
    EXPECT_EQ(ev.ch, 0u);
}

TEST_F(MemoryScreen, OpensOnceAndShutsDownToNotInit) {
    ASSERT_EQ(memory_screen_open(5, 3), TB_OK);
    EXPECT_EQ(tb_width(), 5);
    EXPECT_EQ(tb_height(), 3);
    EXPECT_EQ(memory_screen_open(5, 3), TB_ERR_INIT_ALREADY);
    EXPECT_EQ(tb_init(), TB_ERR_INIT_ALREADY);
    EXPECT_EQ(tb_shutdown(), TB_OK);
    EXPECT_EQ(tb_width(), TB_ERR_NOT_INIT);
    EXPECT_EQ(tb_shutdown(), TB_ERR_NOT_INIT);
}

TEST_F(MemoryScreen, RefusesANegativeSize) {
    EXPECT_LT(memory_screen_open(-2, -3), 0);
    EXPECT_EQ(tb_width(), TB_ERR_NOT_INIT);
}

TEST_F(MemoryScreen, ShowsCellsOnlyAfterPresent) {
    ASSERT_EQ(memory_screen_open(4, 2), TB_OK);
    EXPECT_EQ(memory_screen_cell(1, 1).ch, 0u);  // never written
    ASSERT_EQ(tb_set_cell(1, 1, 0xFF8A, TB_GREEN | TB_BOLD, TB_REVERSE), TB_OK);
    EXPECT_EQ(memory_screen_cell(1, 1).ch, 0u);
    ASSERT_EQ(tb_present(), TB_OK);
    const term_test::MemoryCell cell = memory_screen_cell(1, 1);
    EXPECT_EQ(cell.ch, 0xFF8Au);
    EXPECT_EQ(cell.fg, TB_GREEN | TB_BOLD);
    EXPECT_EQ(cell.bg, TB_REVERSE);
    EXPECT_EQ(term_test::memory_screen_presents(), 1);

    ASSERT_EQ(tb_clear(), TB_OK);
    ASSERT_EQ(tb_present(), TB_OK);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(memory_screen_cell(x, y).ch, static_cast<std::uint32_t>(' '));
            EXPECT_EQ(memory_screen_cell(x, y).fg, TB_DEFAULT);
            EXPECT_EQ(memory_screen_cell(x, y).bg, TB_DEFAULT);
        }
    }
    EXPECT_EQ(memory_screen_cell(4, 0).ch, 0u);  // outside: a zero cell
}

TEST_F(MemoryScreen, RefusesCellsOutsideTheScreenAndDrawsNothing) {
    ASSERT_EQ(memory_screen_open(3, 2), TB_OK);
    ASSERT_EQ(tb_clear(), TB_OK);
    const int outside[][2] = {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {3, 2}, {INT_MIN, 0}, {0, INT_MAX}};
    for (const auto& p : outside) {
        EXPECT_EQ(tb_set_cell(p[0], p[1], 'x', 0, 0), TB_ERR_OUT_OF_BOUNDS) << p[0] << "," << p[1];
    }
    ASSERT_EQ(tb_present(), TB_OK);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(memory_screen_cell(x, y).ch, static_cast<std::uint32_t>(' '));
    }
    EXPECT_EQ(tb_set_cell(2, 1, 'x', 0, 0), TB_OK);  // the last cell is inside
}

TEST_F(MemoryScreen, ReportsQueuedResizeThenKeyThenNothing) {
    ASSERT_EQ(memory_screen_open(4, 2), TB_OK);
    term_test::memory_screen_resize(7, 5);
    term_test::memory_screen_key('q');
    tb_event ev{};
    ASSERT_EQ(tb_peek_event(&ev, 0), TB_OK);
    EXPECT_EQ(ev.type, TB_EVENT_RESIZE);
    EXPECT_EQ(ev.w, 7);
    EXPECT_EQ(ev.h, 5);
    EXPECT_EQ(tb_width(), 7);
    EXPECT_EQ(tb_height(), 5);
    EXPECT_EQ(tb_set_cell(6, 4, 'x', 0, 0), TB_OK);
    ASSERT_EQ(tb_peek_event(&ev, 0), TB_OK);
    EXPECT_EQ(ev.type, TB_EVENT_KEY);
    EXPECT_EQ(ev.ch, static_cast<std::uint32_t>('q'));
    EXPECT_EQ(tb_peek_event(&ev, 0), TB_ERR_NO_EVENT);
    EXPECT_EQ(ev.type, 0);
}

TEST_F(MemoryScreen, KeepsItsSizeWhenAResizeCannotBeMade) {
    ASSERT_EQ(memory_screen_open(4, 2), TB_OK);
    term_test::memory_screen_resize(3, -1);
    tb_event ev{};
    EXPECT_LT(tb_peek_event(&ev, 0), 0);
    EXPECT_EQ(tb_width(), 4);
    EXPECT_EQ(tb_height(), 2);
    EXPECT_EQ(tb_set_cell(3, 1, 'x', 0, 0), TB_OK);
}

}  // namespace
