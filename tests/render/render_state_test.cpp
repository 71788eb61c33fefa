#include "render/render_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "render/styles.h"
#include "support.h"

namespace gorv {
namespace {

using render_test::CountingResource;
using Gaps = std::vector<std::uint32_t>;

Gaps gaps_of(const std::pmr::vector<std::uint32_t>& list) {
    return {list.begin(), list.end()};
}

struct LayoutCase {
    Style style;
    std::uint32_t width;
    std::uint32_t height;
    Gaps columns;
    Gaps rows;
};

TEST(Rebuild, GapListsPerStyle) {
    const std::vector<LayoutCase> cases = {
        {Style::columns, 4, 3, {3}, {}},
        {Style::columns, 3, 3, {}, {}},
        {Style::columns, 16, 9, {3, 7, 11, 15}, {}},
        {Style::crypto, 12, 10, {4, 9}, {2, 5, 8}},
        {Style::crypto, 4, 2, {}, {}},
        {Style::grid, 1, 1, {}, {}},
        {Style::grid, 6, 5, {1, 3, 5}, {1, 3}},
        {Style::blocks, 20, 5, {9, 19}, {}},
        {Style::blocks, 30, 12, {9, 19, 29}, {5, 11}},
        {Style::default_, 80, 24, {}, {}},
    };
    for (const LayoutCase& c : cases) {
        RenderState state;
        state.style = c.style;
        state.width = c.width;
        state.height = c.height;
        ASSERT_TRUE(rebuild(state).has_value());
        EXPECT_EQ(gaps_of(state.gap_columns), c.columns) << static_cast<int>(c.style);
        EXPECT_EQ(gaps_of(state.gap_rows), c.rows) << static_cast<int>(c.style);
        EXPECT_TRUE(state.lock.try_lock());
        state.lock.unlock();
    }
}

TEST(Rebuild, ReplacesTheListsItBuildsAndLeavesTheOthers) {
    CountingResource resource;
    RenderState state(&resource);
    state.style = Style::columns;
    state.gap_rows.push_back(7);  // a list the style does not build stays as it is
    state.width = 40;
    state.height = 10;
    ASSERT_TRUE(rebuild(state).has_value());
    state.width = 8;
    ASSERT_TRUE(rebuild(state).has_value());
    EXPECT_EQ(gaps_of(state.gap_columns), (Gaps{3, 7}));
    EXPECT_EQ(gaps_of(state.gap_rows), (Gaps{7}));
    // The first column list was freed: one storage block per non-empty list remains.
    EXPECT_EQ(resource.outstanding, 2u);
}

TEST(Rebuild, DefaultStyleChangesNothing) {
    RenderState state;
    state.gap_columns.push_back(1);
    state.gap_rows.push_back(2);
    state.width = 80;
    state.height = 24;
    ASSERT_TRUE(rebuild(state).has_value());
    EXPECT_EQ(gaps_of(state.gap_columns), (Gaps{1}));
    EXPECT_EQ(gaps_of(state.gap_rows), (Gaps{2}));
}

TEST(Rebuild, RainDiscardsEveryColumnAndTheNextFrameBuildsThemAnew) {
    CountingResource resource;
    RenderState state(&resource);
    state.style = Style::rain;
    state.width = 6;
    state.height = 8;
    state.random.reseed(42);
    ASSERT_TRUE(rebuild(state).has_value());
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(rain_frame(state).has_value());
    ASSERT_EQ(state.columns.size(), 6u);

    state.width = 3;
    state.height = 5;
    ASSERT_TRUE(rebuild(state).has_value());
    EXPECT_TRUE(state.columns.empty());
    EXPECT_GE(state.columns.capacity(), 3u);
    EXPECT_EQ(resource.outstanding, 1u);  // only the reserved column storage

    ASSERT_TRUE(rain_frame(state).has_value());
    ASSERT_EQ(state.columns.size(), 3u);
    for (const Column& column : state.columns) {
        EXPECT_EQ(column.cells.size(), 5u);
        EXPECT_EQ(column.cells.capacity(), 5u);
        // The first frame after a build shows at most one symbol, in the top row.
        for (std::size_t y = 1; y < column.cells.size(); ++y)
            EXPECT_FALSE(column.cells[y].visible);
    }
}

TEST(Rebuild, OutOfMemoryLeavesTheListBeingBuiltEmpty) {
    struct Case {
        Style style;
        std::size_t allowed;  // allocations that succeed inside rebuild
        Gaps columns;
        Gaps rows;
    };
    // gap_rows holds {99} before each rebuild: kept where rebuild never reached it.
    const std::vector<Case> cases = {
        {Style::columns, 0, {}, {99}},
        {Style::crypto, 0, {}, {99}},
        {Style::crypto, 1, {4, 9, 14, 19, 24, 29}, {}},
        {Style::grid, 1, {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29}, {}},
        {Style::rain, 0, {}, {99}},
    };
    for (const Case& c : cases) {
        CountingResource resource(c.allowed + 1);
        RenderState state(&resource);
        state.gap_rows.push_back(99);
        state.style = c.style;
        state.width = 30;
        state.height = 20;
        const Status rebuilt = rebuild(state);
        ASSERT_FALSE(rebuilt.has_value());
        EXPECT_EQ(rebuilt.error(), Error::OutOfMemory);
        EXPECT_EQ(gaps_of(state.gap_columns), c.columns) << static_cast<int>(c.style);
        EXPECT_EQ(gaps_of(state.gap_rows), c.rows) << static_cast<int>(c.style);
        EXPECT_TRUE(state.columns.empty());
        EXPECT_TRUE(state.lock.try_lock());
        state.lock.unlock();
    }
}

TEST(Rebuild, OutOfMemoryWhileBuildingRainColumnsLeavesNoColumn) {
    // The column storage and the first column's cells and visible bits succeed; the second
    // column's cells fail.
    CountingResource resource(3);
    RenderState state(&resource);
    state.style = Style::rain;
    state.width = 5;
    state.height = 4;
    ASSERT_TRUE(rebuild(state).has_value());
    const Status framed = rain_frame(state);
    ASSERT_FALSE(framed.has_value());
    EXPECT_EQ(framed.error(), Error::OutOfMemory);
    EXPECT_TRUE(state.columns.empty());
    EXPECT_EQ(resource.outstanding, 1u);
}

// A column's rows against a plain list that moves its cells: the ring puts the same cell at
// every row, and the visible bits always mark exactly the visible cells in storage.
TEST(ColumnCells, RowsAndVisibleBitsFollowAPlainList) {
    auto cell = [](std::uint32_t n) {
        return Cell{Symbol{n, n * 3, static_cast<std::uint8_t>(n)}, n % 3 != 0};
    };
    for (const std::size_t height : {1u, 2u, 5u, 64u, 65u, 130u}) {
        CountingResource resource;
        ColumnCells cells(&resource);
        cells.reserve(height);
        std::deque<Cell> rows;
        std::uint32_t n = 0;
        auto check = [&](const char* when) {
            ASSERT_EQ(cells.size(), rows.size()) << height << " " << when;
            std::size_t y = 0;
            for (const Cell& got : cells) {
                ASSERT_EQ(got.symbol.fg, rows[y].symbol.fg) << height << " " << when << " " << y;
                ASSERT_EQ(&got, &cells[y]);
                ++y;
            }
            ASSERT_EQ(y, rows.size());
            for (std::size_t s = 0; s < cells.storage().size(); ++s) {
                const bool bit = (cells.visible_bits()[s / 64] >> (s % 64) & 1u) != 0;
                ASSERT_EQ(bit, cells.storage()[s].visible) << height << " " << when << " " << s;
            }
        };
        for (std::size_t y = 0; y < height; ++y) {
            cells.push_back(cell(++n));
            rows.push_back(cell(n));
        }
        check("built");
        EXPECT_EQ(cells.capacity(), height);
        for (std::size_t i = 0; i < 3 * height + 7; ++i) {
            cells.push_top(cell(++n));
            rows.pop_back();
            rows.push_front(cell(n));
            check("moved");
        }
        // Growing after moves appends below the bottom row.
        cells.push_back(cell(++n));
        rows.push_back(cell(n));
        check("grown");
        EXPECT_EQ(cells.top(), 0u);
    }
}

}  // namespace
}  // namespace gorv
