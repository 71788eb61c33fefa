#include "term/termbox2.h"

#include <algorithm>
#include <cstring>

#include "term/layer.h"

namespace term_internal {

Layer layer;

}  // namespace term_internal

using term_internal::Backing;
using term_internal::Cell;
using term_internal::layer;

int tb_init() {
    if (layer.backing != Backing::none) return TB_ERR_INIT_ALREADY;
    const int rc = term_internal::tty_open(layer.tty, layer.buffers);
    if (rc != TB_OK) return rc;
    layer.backing = Backing::tty;
    return TB_OK;
}

int tb_shutdown() {
    if (layer.backing == Backing::none) return TB_ERR_NOT_INIT;
    if (layer.backing == Backing::tty) term_internal::tty_close(layer.tty);
    layer.backing = Backing::none;
    layer.buffers = term_internal::CellBuffers{};
    layer.memory = term_internal::MemoryQueue{};
    return TB_OK;
}

int tb_width() {
    return layer.backing == Backing::none ? TB_ERR_NOT_INIT : layer.buffers.width;
}

int tb_height() {
    return layer.backing == Backing::none ? TB_ERR_NOT_INIT : layer.buffers.height;
}

int tb_clear() {
    if (layer.backing == Backing::none) return TB_ERR_NOT_INIT;
    std::fill(layer.buffers.back.begin(), layer.buffers.back.end(), term_internal::blank_cell);
    return TB_OK;
}

int tb_set_cell(int x, int y, std::uint32_t ch, uintattr_t fg, uintattr_t bg) {
    term_internal::CellBuffers& buffers = layer.buffers;
    if (layer.backing == Backing::none) return TB_ERR_NOT_INIT;
    if (x < 0 || y < 0 || x >= buffers.width || y >= buffers.height) return TB_ERR_OUT_OF_BOUNDS;
    // The one character no cell may hold is the front buffer's mark of a cell the screen
    // may not show; it is shown as U+FFFD anyway.
    buffers.back[buffers.index(x, y)] =
        Cell{ch == term_internal::unknown_char ? 0xFFFDu : ch, fg, bg};
    return TB_OK;
}

int tb_present() {
    switch (layer.backing) {
        case Backing::none:
            return TB_ERR_NOT_INIT;
        case Backing::memory:
            layer.buffers.front = layer.buffers.back;
            ++layer.memory.presents;
            return TB_OK;
        case Backing::tty:
            return term_internal::tty_present(layer.tty, layer.buffers);
    }
    return TB_ERR;
}

int tb_peek_event(tb_event* ev, int timeout_ms) {
    if (ev == nullptr) return TB_ERR;
    std::memset(ev, 0, sizeof *ev);
    switch (layer.backing) {
        case Backing::none:
            return TB_ERR_NOT_INIT;
        case Backing::memory:
            return term_internal::memory_peek_event(layer, ev);
        case Backing::tty:
            return term_internal::tty_peek_event(layer.tty, layer.buffers, ev, timeout_ms);
    }
    return TB_ERR;
}

int tb_get_fds(int* ttyfd, int* resizefd) {
    if (layer.backing == Backing::none) return TB_ERR_NOT_INIT;
    if (ttyfd == nullptr || resizefd == nullptr) return TB_ERR;
    if (layer.backing == Backing::tty) {
        term_internal::tty_fds(layer.tty, ttyfd, resizefd);
    } else {
        *ttyfd = -1;
        *resizefd = -1;
    }
    return TB_OK;
}

int tb_utf8_char_to_unicode(std::uint32_t* out, const char* c) {
    const auto first = static_cast<unsigned char>(*c);
    if (first == 0) return 0;
    int length = 1;
    std::uint32_t mask = 0x7F;
    if (first >= 0xFC) {
        length = 6;
        mask = 0x01;
    } else if (first >= 0xF8) {
        length = 5;
        mask = 0x03;
    } else if (first >= 0xF0) {
        length = 4;
        mask = 0x07;
    } else if (first >= 0xE0) {
        length = 3;
        mask = 0x0F;
    } else if (first >= 0xC0) {
        length = 2;
        mask = 0x1F;
    }
    std::uint32_t result = first & mask;
    for (int i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(c[i]);
        if (byte == 0) return -i;
        result = (result << 6) | (byte & 0x3Fu);
    }
    *out = result;
    return length;
}
