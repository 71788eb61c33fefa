#include "render/render_state.h"

#include <algorithm>
#include <new>

namespace gorv {
namespace {

// Frees the list's storage, leaving it empty.
template <class T>
void release(std::pmr::vector<T>& list) {
    std::pmr::vector<T> empty(list.get_allocator());
    list.swap(empty);
}

// Positions k * step - 1 for k = 1, 2, ... while k * step <= limit.
Status build_gaps(std::pmr::vector<std::uint32_t>& gaps, std::uint32_t limit, std::uint32_t step) {
    release(gaps);
    try {
        gaps.reserve(limit / step);
        for (std::uint64_t k = step; k <= limit; k += step)
            gaps.push_back(static_cast<std::uint32_t>(k - 1));
    } catch (const std::bad_alloc&) {
        release(gaps);
        return std::unexpected(Error::OutOfMemory);
    }
    return {};
}

}  // namespace

void ColumnCells::push_back(const Cell& cell) {
    if (top_ != 0) {
        // Row 0 back at the start of the storage, so that the new bottom row goes at its end.
        std::ranges::rotate(ring_, ring_.begin() + static_cast<std::ptrdiff_t>(top_));
        top_ = 0;
        std::ranges::fill(visible_, 0);
        for (std::size_t s = 0; s < ring_.size(); ++s)
            visible_[s / 64] |= std::uint64_t{ring_[s].visible} << (s % 64);
    }
    const std::size_t at = ring_.size();
    const bool new_word = at % 64 == 0;
    if (new_word) visible_.push_back(0);
    try {
        ring_.push_back(cell);
    } catch (...) {
        if (new_word) visible_.pop_back();
        throw;
    }
    visible_[at / 64] |= std::uint64_t{cell.visible} << (at % 64);
}

Status rebuild(RenderState& state) {
    struct Steps {
        std::uint32_t columns;
        std::uint32_t rows;  // 0: the rows are left as they are
    };
    Steps steps{};
    switch (state.style) {
        case Style::default_:
            return {};
        case Style::columns:
            steps = {4, 0};
            break;
        case Style::crypto:
            steps = {5, 3};
            break;
        case Style::grid:
            steps = {2, 2};
            break;
        case Style::blocks:
            steps = {10, 6};
            break;
        case Style::rain: {
            std::lock_guard guard(state.lock);
            release(state.columns);
            try {
                state.columns.reserve(state.width);
            } catch (const std::bad_alloc&) {
                return std::unexpected(Error::OutOfMemory);
            }
            return {};
        }
    }
    std::lock_guard guard(state.lock);
    if (Status built = build_gaps(state.gap_columns, state.width, steps.columns); !built)
        return built;
    if (steps.rows != 0) return build_gaps(state.gap_rows, state.height, steps.rows);
    return {};
}

}  // namespace gorv
