#pragma once

// The back and front cell buffers shared by the terminal backings. Internal to src/term.

#include <cstdint>
#include <vector>

#include "term/termbox2.h"

namespace term_internal {

struct Cell {
    std::uint32_t ch = 0;
    uintattr_t fg = 0;
    uintattr_t bg = 0;

    friend bool operator==(const Cell&, const Cell&) = default;
};

// A blank on the terminal's default colours, as a cleared screen shows it.
inline constexpr Cell blank_cell{' ', TB_DEFAULT, TB_DEFAULT};

// A character no backing ever shows: a front cell holding it differs from every back cell
// (tb_set_cell never stores it), so the next present rewrites it.
inline constexpr std::uint32_t unknown_char = 0xFFFFFFFFu;

struct CellBuffers {
    int width = 0;
    int height = 0;
    std::vector<Cell> back;   // what the program draws
    std::vector<Cell> front;  // what the screen shows as of the last present

    // Index of (x, y); the caller has checked the bounds.
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    }
};

// Gives both buffers the size w x h, all cells zero. Either everything changes or, on
// TB_ERR_MEM (or TB_ERR for a negative size), nothing does.
int resize_cell_buffers(CellBuffers& buffers, int w, int h);

// Marks every front cell unknown, so that the next present rewrites the whole screen.
void forget_front(CellBuffers& buffers);

}  // namespace term_internal
