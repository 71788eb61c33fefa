#include "term/termbox2.h"

#include <algorithm>
#include <cstring>

#include "term/cell_buffers.h"
#include "term/memory_screen.h"
#include "term/tty_screen.h"

namespace {

using term_internal::Cell;
using term_internal::CellBuffers;

enum class Backing : std::uint8_t { none, memory, tty };

struct MemoryQueue {
    int pending_width = -1;
    int pending_height = -1;
    std::uint32_t pending_key = 0;
    bool key_pending = false;
    int presents = 0;
};

Backing backing = Backing::none;
CellBuffers buffers;
MemoryQueue memory;

void reset_state() {
    backing = Backing::none;
    buffers = CellBuffers{};
    memory = MemoryQueue{};
}

int memory_peek_event(tb_event* ev) {
    if (memory.pending_width >= 0) {
        const int rc = term_internal::resize_cell_buffers(buffers, memory.pending_width,
                                                          memory.pending_height);
        memory.pending_width = memory.pending_height = -1;
        if (rc != TB_OK) return rc;
        ev->type = TB_EVENT_RESIZE;
        ev->w = buffers.width;
        ev->h = buffers.height;
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

}  // namespace

int tb_init() {
    if (backing != Backing::none) return TB_ERR_INIT_ALREADY;
    const int rc = term_internal::tty_open(buffers);
    if (rc != TB_OK) return rc;
    backing = Backing::tty;
    return TB_OK;
}

int tb_shutdown() {
    if (backing == Backing::none) return TB_ERR_NOT_INIT;
    if (backing == Backing::tty) term_internal::tty_close();
    reset_state();
    return TB_OK;
}

int tb_width() {
    return backing == Backing::none ? TB_ERR_NOT_INIT : buffers.width;
}

int tb_height() {
    return backing == Backing::none ? TB_ERR_NOT_INIT : buffers.height;
}

int tb_clear() {
    if (backing == Backing::none) return TB_ERR_NOT_INIT;
    std::fill(buffers.back.begin(), buffers.back.end(), Cell{' ', TB_DEFAULT, TB_DEFAULT});
    return TB_OK;
}

int tb_set_cell(int x, int y, std::uint32_t ch, uintattr_t fg, uintattr_t bg) {
    if (backing == Backing::none) return TB_ERR_NOT_INIT;
    if (x < 0 || y < 0 || x >= buffers.width || y >= buffers.height) return TB_ERR_OUT_OF_BOUNDS;
    buffers.back[buffers.index(x, y)] = Cell{ch, fg, bg};
    return TB_OK;
}

int tb_present() {
    switch (backing) {
        case Backing::none:
            return TB_ERR_NOT_INIT;
        case Backing::memory:
            buffers.front = buffers.back;
            ++memory.presents;
            return TB_OK;
        case Backing::tty:
            return term_internal::tty_present(buffers);
    }
    return TB_ERR;
}

int tb_peek_event(tb_event* ev, int timeout_ms) {
    if (ev == nullptr) return TB_ERR;
    std::memset(ev, 0, sizeof *ev);
    switch (backing) {
        case Backing::none:
            return TB_ERR_NOT_INIT;
        case Backing::memory:
            return memory_peek_event(ev);
        case Backing::tty:
            return term_internal::tty_peek_event(buffers, ev, timeout_ms);
    }
    return TB_ERR;
}

int tb_get_fds(int* ttyfd, int* resizefd) {
    if (backing == Backing::none) return TB_ERR_NOT_INIT;
    if (ttyfd == nullptr || resizefd == nullptr) return TB_ERR;
    if (backing == Backing::tty) {
        term_internal::tty_fds(ttyfd, resizefd);
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

namespace term_test {

int memory_screen_open(int w, int h) {
    if (backing != Backing::none) return TB_ERR_INIT_ALREADY;
    const int rc = term_internal::resize_cell_buffers(buffers, w, h);
    if (rc != TB_OK) return rc;
    backing = Backing::memory;
    return TB_OK;
}

MemoryCell memory_screen_cell(int x, int y) {
    if (backing != Backing::memory || x < 0 || y < 0 || x >= buffers.width || y >= buffers.height) {
        return {};
    }
    const Cell& cell = buffers.front[buffers.index(x, y)];
    return {cell.ch, cell.fg, cell.bg};
}

void memory_screen_resize(int w, int h) {
    memory.pending_width = w;
    memory.pending_height = h;
}

void memory_screen_key(std::uint32_t ch) {
    memory.key_pending = true;
    memory.pending_key = ch;
}

int memory_screen_presents() {
    return memory.presents;
}

}  // namespace term_test
