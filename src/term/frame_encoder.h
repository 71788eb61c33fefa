#pragma once

// The renderer of the terminal backing: turns the difference between the front buffer
// (what the screen shows) and the back buffer (what the program drew) into the bytes that
// bring the screen up to date, for one terminal description. Pure: it reads no terminal and
// writes only into the buffer it is given, so that tests can state exact bytes. Internal to
// src/term.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "term/cell_buffers.h"
#include "term/cell_style.h"
#include "term/terminal_description.h"

namespace term_internal {

// Where the terminal's cursor is, as far as the layer knows.
struct CursorModel {
    enum class Kind : std::uint8_t {
        unknown,       // after a resize or an unusual step: only an absolute move is safe
        known,         // on the cell (x, y)
        wrap_pending,  // written into the last column of row y on a terminal with deferred
                       // wrap: a character goes to the start of row y + 1, a move is absolute
    };
    Kind kind = Kind::unknown;
    int x = 0;
    int y = 0;
};

// What the terminal shows besides the cells: the cursor and the style in force.
struct ScreenModel {
    CursorModel cursor;
    bool style_known = false;
    CellStyle style{-1, -1, 0};
};

// One preallocated buffer for the bytes of a frame.
struct OutputBuffer {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t size = 0;
};

// Hands the bytes of a full buffer to the terminal; TB_OK or a negative code.
using FlushOutput = int (*)(void* context, const char* bytes, std::size_t size);

class FrameEncoder {
  public:
    FrameEncoder() = default;
    explicit FrameEncoder(const TerminalDescription& description);

    // The most bytes that one changed cell can add to a frame of a w x h screen (a move,
    // a style change, the character, and the extra steps of the bottom right cell),
    // whatever the position: a true bound for every description.
    [[nodiscard]] std::size_t cell_bytes_bound(int w, int h) const;

    // Appends to out the bytes that make the screen show the back buffer, given that it
    // shows the front buffer and `model`; then front equals back and `model` is the
    // screen's state after those bytes. Only changed cells are written, each cell in one
    // column, the bottom right one included, without ever scrolling the screen. When out
    // has less room than one cell can take, flush(context, ...) empties it first (a frame
    // larger than out then takes more than one write); without flush that is TB_ERR.
    int encode(CellBuffers& buffers, ScreenModel& model, OutputBuffer& out,
               FlushOutput flush = nullptr, void* context = nullptr) const;

  private:
    friend struct EncodeRun;

    const TerminalDescription* description_ = nullptr;
    bool ansi_ = false;       // sgr0, the attributes and the colours are ECMA-48 SGR
    unsigned available_ = 0;  // style_* attributes the terminal can show
    std::size_t style_bound_ = 0;
    std::size_t shortest_jump_ = 0;  // no move along a row but writing cells costs less
};

}  // namespace term_internal
