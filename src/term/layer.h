#pragma once

// The one record of the layer's state, behind the functions of termbox2.h and the test
// screen. Internal to src/term.

#include <cstdint>

#include "term/cell_buffers.h"
#include "term/tty.h"

namespace term_internal {

enum class Backing : std::uint8_t { none, memory, tty };

// The in-memory screen's queued events and its count of presents.
struct MemoryQueue {
    int pending_width = -1;
    int pending_height = -1;
    std::uint32_t pending_key = 0;
    bool key_pending = false;
    int presents = 0;
};

struct Layer {
    Backing backing = Backing::none;
    CellBuffers buffers;
    MemoryQueue memory;
    Tty tty;
};

// The layer's state. Static storage, so that the resize signal handler can reach it.
extern Layer layer;

// tb_peek_event on the in-memory screen; *ev is already zeroed.
int memory_peek_event(Layer& state, tb_event* ev);

}  // namespace term_internal
