#pragma once

// Test support: backs the terminal layer by an in-memory screen instead of a terminal,
// so that frames can be drawn, checked and timed without one. Not for the program.

#include <cstdint>

#include "term/termbox2.h"

namespace term_test {

struct MemoryCell {
    std::uint32_t ch;
    uintattr_t fg;
    uintattr_t bg;
};

// Initialises the layer on a w x h in-memory screen, as tb_init does on a terminal.
// TB_ERR_INIT_ALREADY when the layer is initialised.
int memory_screen_open(int w, int h);

// The presented cell at (x, y): what the screen shows after the last tb_present.
// A cell never written has ch 0. Outside the screen: a zero cell.
MemoryCell memory_screen_cell(int x, int y);

// Queues a resize to w x h: the next tb_peek_event reports it and takes the new size.
void memory_screen_resize(int w, int h);

// Queues a key event with the character ch for the next tb_peek_event.
void memory_screen_key(std::uint32_t ch);

// Number of tb_present calls since memory_screen_open.
int memory_screen_presents();

}  // namespace term_test
