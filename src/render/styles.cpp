#include "render/styles.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>

#include "render/random.h"
#include "render/symbols.h"

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

Status draw_symbol(const RenderState& state, std::uint32_t x, std::uint32_t y,
                   const Symbol& symbol) {
    const Result<const char*> text = symbol_text(symbol.value, state.mode);
    if (!text) return std::unexpected(text.error());
    put_cell(state.debug, x, y, symbol.fg, symbol.bg, *text);
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
            Column built{std::pmr::vector<Cell>(state.allocator)};
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
        std::pmr::vector<Cell>& cells = column.cells;
        const std::size_t held = cells.empty() ? 0 : cells.size() - 1;
        const Cell top = column.active ? emitted_cell(state, column, held) : Cell{};
        // Off at the bottom, on at the top, within the column's storage. A column of
        // height 0 has no row to take the new cell.
        if (cells.empty()) continue;
        std::shift_right(cells.begin(), cells.end(), 1);
        cells.front() = top;
    }
}

Status draw(const RenderState& state) {
    for (std::size_t c = 0; c < state.columns.size(); ++c) {
        const std::pmr::vector<Cell>& cells = state.columns[c].cells;
        for (std::size_t y = 0; y < cells.size(); ++y) {
            if (!cells[y].visible) continue;
            if (Status drawn = draw_symbol(state, static_cast<std::uint32_t>(c),
                                           static_cast<std::uint32_t>(y), cells[y].symbol);
                !drawn)
                return drawn;
        }
    }
    return {};
}

}  // namespace

Status static_frame(RenderState& state) {
    std::size_t next_column_gap = 0;
    for (std::uint32_t x = 0; x < state.width; ++x) {
        if (in_gaps(state.gap_columns, next_column_gap, x)) continue;
        std::size_t next_row_gap = 0;
        for (std::uint32_t y = 0; y < state.height; ++y) {
            if (in_gaps(state.gap_rows, next_row_gap, y)) continue;
            if (Status drawn = draw_symbol(state, x, y, new_symbol(state, false)); !drawn)
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
