#include "render/styles.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <new>
#include <span>

#include "render/random.h"
#include "render/symbols.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

// Whether position is in the increasing gap list; `next` is the index of the first
// entry not yet passed and moves forward with the positions, so a walk over increasing
// positions tests each in constant time.
bool in_gaps(const std::pmr::vector<std::uint32_t>& gaps, std::size_t& next,
             std::uint32_t position) {
    while (next < gaps.size() && gaps[next] < position)
        ++next;
    return next < gaps.size() && gaps[next] == position;
}

// Draws a symbol at (x, y): outside debug mode its character goes from the mode's code
// point table straight into the back buffer, as put_cell would set the decoded character
// of its text; in debug mode its text is logged by put_cell. NoSpaceLeft for a value
// without a text.
Status draw_symbol(const RenderState& state, const CodePoints& code_points, std::uint32_t x,
                   std::uint32_t y, const Symbol& symbol) {
    if (!state.debug) {
        const std::uint32_t ch = code_points[symbol.value];
        if (ch == 0) return std::unexpected(Error::NoSpaceLeft);
        (void)tb_set_cell(cell_coordinate(x), cell_coordinate(y), ch,
                          static_cast<uintattr_t>(symbol.fg), static_cast<uintattr_t>(symbol.bg));
        return {};
    }
    const Result<const char*> text = symbol_text(symbol.value, state.mode);
    if (!text) return std::unexpected(text.error());
    put_cell(true, x, y, symbol.fg, symbol.bg, *text);
    return {};
}

bool has_accent(const RenderState& state, Accent wanted) {
    return state.accents && std::ranges::find(*state.accents, wanted) != state.accents->end();
}

// Makes the column active, drawing its dim flag afresh when the dim accent was chosen.
void activate(RenderState& state, Column& column) {
    if (state.accents) column.dim = has_accent(state, Accent::dim) && random_bit(state.random) == 1;
    column.active = true;
}

Status build_columns(RenderState& state) {
    try {
        state.columns.reserve(state.width);
        for (std::uint32_t c = 0; c < state.width; ++c) {
            Column built{ColumnCells(state.allocator)};
            built.cells.reserve(state.height);
            Column& column = state.columns.emplace_back(std::move(built));
            for (std::uint32_t y = 0; y < state.height; ++y) {
                if (state.debug)
                    column.cells.push_back(Cell{new_symbol(state, column.dim), true});
                else
                    column.cells.push_back(Cell{});
            }
            if (!state.debug) activate(state, column);
        }
    } catch (const std::bad_alloc&) {
        state.columns.clear();
        return std::unexpected(Error::OutOfMemory);
    }
    return {};
}

void toggle(RenderState& state) {
    if (state.columns.empty() || random_bit(state.random) == 0) return;
    const auto count = static_cast<std::uint32_t>(state.columns.size());
    Column& first = state.columns[uniform_below(state.random, count, DrawWidth::u32)];
    if (first.active) {
        first.active = false;
        const std::uint64_t factor = uniform_below(state.random, 3, DrawWidth::u32);
        first.cooldown = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            factor * state.height, std::numeric_limits<std::uint32_t>::max()));
    }
    Column& second = state.columns[uniform_below(state.random, count, DrawWidth::u32)];
    if (second.cooldown == 0) activate(state, second);
}

// The cell that an active column puts on top. `held` is the number of cells the column
// holds once its bottom cell is off.
Cell emitted_cell(RenderState& state, const Column& column, std::size_t held) {
    if (uniform_below(state.random, 7, DrawWidth::bits3) < 3) return {};
    std::size_t run = 0;
    while (run < held && column.cells[run].visible)
        ++run;
    if (run == 0 && random_bit(state.random) == 1) return {};
    if (run >= state.height / 2) return {};
    return Cell{new_symbol(state, column.dim), true};
}

void move(RenderState& state) {
    for (Column& column : state.columns) {
        if (column.cooldown > 0) --column.cooldown;
        if (random_bit(state.random) == 1) continue;
        ColumnCells& cells = column.cells;
        const std::size_t held = cells.empty() ? 0 : cells.size() - 1;
        const Cell top = column.active ? emitted_cell(state, column, held) : Cell{};
        // Off at the bottom, on at the top, within the column's storage. A column of
        // height 0 has no row to take the new cell.
        if (cells.empty()) continue;
        cells.push_top(top);
    }
}

// Draws the visible cells stored at [begin, end) of the column at x; `row` is the row of
// the cell stored at `begin`. Visits the set bits only, so empty cells cost nothing.
Status draw_stored(const RenderState& state, const CodePoints& code_points, std::uint32_t x,
                   const ColumnCells& cells, std::size_t begin, std::size_t end,
                   std::uint32_t row) {
    const std::span<const Cell> stored = cells.storage();
    const std::span<const std::uint64_t> bits = cells.visible_bits();
    const std::uint32_t row_of_zero = row - static_cast<std::uint32_t>(begin);
    for (std::size_t w = begin / 64; w * 64 < end; ++w) {
        std::uint64_t word = bits[w];
        if (w == begin / 64) word &= ~std::uint64_t{0} << (begin % 64);
        if (end - w * 64 < 64) word &= (std::uint64_t{1} << (end - w * 64)) - 1;
        while (word != 0) {
            const std::size_t s = w * 64 + static_cast<std::size_t>(std::countr_zero(word));
            word &= word - 1;
            if (Status drawn =
                    draw_symbol(state, code_points, x, row_of_zero + static_cast<std::uint32_t>(s),
                                stored[s].symbol);
                !drawn)
                return drawn;
        }
    }
    return {};
}

Status draw(const RenderState& state) {
    const CodePoints& code_points = symbol_code_points(state.mode);
    for (std::size_t c = 0; c < state.columns.size(); ++c) {
        const ColumnCells& cells = state.columns[c].cells;
        const auto x = static_cast<std::uint32_t>(c);
        const std::size_t top = cells.top();
        const auto below_top = static_cast<std::uint32_t>(cells.size() - top);
        if (Status drawn = draw_stored(state, code_points, x, cells, top, cells.size(), 0); !drawn)
            return drawn;
        if (Status drawn = draw_stored(state, code_points, x, cells, 0, top, below_top); !drawn)
            return drawn;
    }
    return {};
}

}  // namespace

Status static_frame(RenderState& state) {
    const CodePoints& code_points = symbol_code_points(state.mode);
    std::size_t next_column_gap = 0;
    for (std::uint32_t x = 0; x < state.width; ++x) {
        if (in_gaps(state.gap_columns, next_column_gap, x)) continue;
        std::size_t next_row_gap = 0;
        for (std::uint32_t y = 0; y < state.height; ++y) {
            if (in_gaps(state.gap_rows, next_row_gap, y)) continue;
            if (Status drawn = draw_symbol(state, code_points, x, y, new_symbol(state, false));
                !drawn)
                return drawn;
        }
    }
    return {};
}

Status rain_frame(RenderState& state) {
    if (state.columns.empty()) {
        if (Status built = build_columns(state); !built) return built;
    }
    toggle(state);
    move(state);
    return draw(state);
}

}  // namespace gorv
