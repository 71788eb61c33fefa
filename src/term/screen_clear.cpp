#include "term/screen_clear.h"

#include <algorithm>
#include <memory>
#include <new>

#include "term/cell_buffers.h"
#include "term/termbox2.h"

namespace term_internal {

std::string home_bytes(const TerminalDescription& d) {
    if (!d.home.empty()) return d.home;
    char address[capability_limit];
    return {address, d.move.write(address, 0, 0)};
}

std::string clear_bytes(const TerminalDescription& d) {
    if (!d.clear.empty() || d.clear_to_end.empty()) return d.clear;
    return home_bytes(d) + d.clear_to_end;
}

std::string blank_screen(const FrameEncoder& encoder, const TerminalDescription& d, int w, int h) {
    if (w <= 0 || h <= 0) return home_bytes(d);
    CellBuffers buffers;
    if (resize_cell_buffers(buffers, w, h) != TB_OK) throw std::bad_alloc();
    std::fill(buffers.back.begin(), buffers.back.end(), blank_cell);
    forget_front(buffers);
    ScreenModel model;
    OutputBuffer out;
    const auto cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    out.capacity = (cells + 1) * encoder.cell_bytes_bound(w, h);
    out.data = std::make_unique<char[]>(out.capacity);
    if (encoder.encode(buffers, model, out) != TB_OK) return home_bytes(d);
    return std::string(out.data.get(), out.size) + home_bytes(d);
}

}  // namespace term_internal
