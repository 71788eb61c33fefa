#include "term/termbox2.h"

#include <cstring>
#include <vector>

#include "term/memory_screen.h"

namespace {

struct Cell {
    std::uint32_t ch = 0;
    uintattr_t fg = 0;
    uintattr_t bg = 0;
};

enum class Backing { none, memory, tty };

struct State {
    Backing backing = Backing::none;
    int width = 0;
    int height = 0;
    std::vector<Cell> back;
    std::vector<Cell> front;
    // memory backing
    int pending_width = -1;
    int pending_height = -1;
    std::uint32_t pending_key = 0;
    bool key_pending = false;
    int presents = 0;
};

State state;

int resize_buffers(int w, int h) {
    const auto cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    try {
        state.back.assign(cells, Cell{});
        state.front.assign(cells, Cell{});
    } catch (...) {
        return TB_ERR_MEM;
    }
    state.width = w;
    state.height = h;
    return TB_OK;
}

}  // namespace

int tb_init() {
    if (state.backing != Backing::none) return TB_ERR_INIT_ALREADY;
    // The terminal itself is taken over by the ncursesw backing.
    return TB_ERR_INIT_OPEN;
}

int tb_shutdown() {
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    state = State{};
    return TB_OK;
}

int tb_width() { return state.backing == Backing::none ? TB_ERR_NOT_INIT : state.width; }

int tb_height() { return state.backing == Backing::none ? TB_ERR_NOT_INIT : state.height; }

int tb_clear() {
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    std::fill(state.back.begin(), state.back.end(), Cell{' ', TB_DEFAULT, TB_DEFAULT});
    return TB_OK;
}

int tb_set_cell(int x, int y, std::uint32_t ch, uintattr_t fg, uintattr_t bg) {
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    if (x < 0 || y < 0 || x >= state.width || y >= state.height) return TB_ERR_OUT_OF_BOUNDS;
    state.back[static_cast<std::size_t>(y) * static_cast<std::size_t>(state.width) +
               static_cast<std::size_t>(x)] = Cell{ch, fg, bg};
    return TB_OK;
}

int tb_present() {
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    state.front = state.back;
    ++state.presents;
    return TB_OK;
}

int tb_peek_event(tb_event* ev, int /*timeout_ms*/) {
    std::memset(ev, 0, sizeof *ev);
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    if (state.pending_width >= 0) {
        const int rc = resize_buffers(state.pending_width, state.pending_height);
        state.pending_width = state.pending_height = -1;
        if (rc != TB_OK) return rc;
        ev->type = TB_EVENT_RESIZE;
        ev->w = state.width;
        ev->h = state.height;
        return TB_OK;
    }
    if (state.key_pending) {
        state.key_pending = false;
        ev->type = TB_EVENT_KEY;
        ev->ch = state.pending_key;
        return TB_OK;
    }
    return TB_ERR_NO_EVENT;
}

int tb_get_fds(int* ttyfd, int* resizefd) {
    if (state.backing == Backing::none) return TB_ERR_NOT_INIT;
    *ttyfd = -1;
    *resizefd = -1;
    return TB_OK;
}

int tb_utf8_char_to_unicode(std::uint32_t* out, const char* c) {
    const auto first = static_cast<unsigned char>(*c);
    if (first == 0) return 0;
    int length = 1;
    std::uint32_t mask = 0x7F;
    if (first >= 0xFC) { length = 6; mask = 0x01; }
    else if (first >= 0xF8) { length = 5; mask = 0x03; }
    else if (first >= 0xF0) { length = 4; mask = 0x07; }
    else if (first >= 0xE0) { length = 3; mask = 0x0F; }
    else if (first >= 0xC0) { length = 2; mask = 0x1F; }
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
    if (state.backing != Backing::none) return TB_ERR_INIT_ALREADY;
    const int rc = resize_buffers(w, h);
    if (rc != TB_OK) return rc;
    state.backing = Backing::memory;
    return TB_OK;
}

MemoryCell memory_screen_cell(int x, int y) {
    if (x < 0 || y < 0 || x >= state.width || y >= state.height) return {};
    const Cell& cell = state.front[static_cast<std::size_t>(y) * static_cast<std::size_t>(state.width) +
                                   static_cast<std::size_t>(x)];
    return {cell.ch, cell.fg, cell.bg};
}

void memory_screen_resize(int w, int h) {
    state.pending_width = w;
    state.pending_height = h;
}

void memory_screen_key(std::uint32_t ch) {
    state.key_pending = true;
    state.pending_key = ch;
}

int memory_screen_presents() { return state.presents; }

}  // namespace term_test
