#include "term/memory_screen.h"

#include "term/layer.h"

namespace term_internal {

int memory_peek_event(Layer& state, tb_event* ev) {
    MemoryQueue& memory = state.memory;
    if (memory.pending_width >= 0) {
        const int rc =
            resize_cell_buffers(state.buffers, memory.pending_width, memory.pending_height);
        memory.pending_width = memory.pending_height = -1;
        if (rc != TB_OK) return rc;
        ev->type = TB_EVENT_RESIZE;
        ev->w = state.buffers.width;
        ev->h = state.buffers.height;
        return TB_OK;
    }
    if (memory.key_pending) {
        memory.key_pending = false;
        ev->type = TB_EVENT_KEY;
        ev->ch = memory.pending_key;
        return TB_OK;
    }
    return TB_ERR_NO_EVENT;
}

}  // namespace term_internal

namespace term_test {

using term_internal::Backing;
using term_internal::layer;

int memory_screen_open(int w, int h) {
    if (layer.backing != Backing::none) return TB_ERR_INIT_ALREADY;
    const int rc = term_internal::resize_cell_buffers(layer.buffers, w, h);
    if (rc != TB_OK) return rc;
    layer.backing = Backing::memory;
    return TB_OK;
}

MemoryCell memory_screen_cell(int x, int y) {
    const term_internal::CellBuffers& buffers = layer.buffers;
    if (layer.backing != Backing::memory || x < 0 || y < 0 || x >= buffers.width ||
        y >= buffers.height) {
        return {};
    }
    const term_internal::Cell& cell = buffers.front[buffers.index(x, y)];
    return {cell.ch, cell.fg, cell.bg};
}

void memory_screen_resize(int w, int h) {
    layer.memory.pending_width = w;
    layer.memory.pending_height = h;
}

void memory_screen_key(std::uint32_t ch) {
    layer.memory.pending_key = ch;
    layer.memory.key_pending = true;
}

int memory_screen_presents() {
    return layer.memory.presents;
}

}  // namespace term_test
