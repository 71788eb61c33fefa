#include "term/cell_buffers.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace term_internal {

int resize_cell_buffers(CellBuffers& buffers, int w, int h) {
    if (w < 0 || h < 0) return TB_ERR;
    const auto cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<Cell> back;
    std::vector<Cell> front;
    try {
        back.assign(cells, Cell{});
        front.assign(cells, Cell{});
    } catch (const std::bad_alloc&) {
        return TB_ERR_MEM;
    } catch (const std::length_error&) {
        return TB_ERR_MEM;
    }
    buffers.back.swap(back);
    buffers.front.swap(front);
    buffers.width = w;
    buffers.height = h;
    return TB_OK;
}

void forget_front(CellBuffers& buffers) {
    std::fill(buffers.front.begin(), buffers.front.end(), Cell{unknown_char, 0, 0});
}

}  // namespace term_internal
