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

// The bytes of a frame: a buffer that grows, doubling, when a frame needs more than it has
// had, so that frames of the steady state allocate nothing.
struct OutputBuffer {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t size = 0;

    // Makes room for at least `more` bytes after the first `size`, keeping them. False, with
    // nothing changed, when memory runs out.
    [[nodiscard]] bool reserve_more(std::size_t more);
};

// The synchronized-update markers (DEC private mode 2026) around each frame on a terminal
// whose control sequences are ECMA-48: a terminal that knows the mode shows the frame at
// once at its end, and one that does not ignores both, as ECMA-48 asks of an unknown mode.
inline constexpr char begin_update[] = "\x1b[?2026h";
inline constexpr char end_update[] = "\x1b[?2026l";

// The length of each kind of move on a screen of one size, measured once per size so that
// planning a move reads a table instead of measuring an expansion. A cost is
// `unreachable_cost` where the description has no such move.
struct MoveCosts {
    int width = -1;
    int height = -1;
    bool separable_address = false;        // address(y, x) is address_row[y] + address_column[x]
    std::unique_ptr<std::size_t[]> table;  // the arrays below, in one block
    const std::size_t* address_row = nullptr;     // [height]: the address of (0, y)
    const std::size_t* address_column = nullptr;  // [width]: what column x adds to it
    const std::size_t* column = nullptr;          // [width]: hpa x
    const std::size_t* right = nullptr;           // [width]: cuf n
    const std::size_t* left_by = nullptr;         // [width]: cub n
    const std::size_t* down = nullptr;            // [height]: the cheaper of cud1 n times and cud n

    // Fills the tables for a w x h screen; false, with the tables of the size before kept,
    // when memory runs out.
    [[nodiscard]] bool measure(const TerminalDescription& d, int w, int h);
};

inline constexpr std::size_t unreachable_cost = SIZE_MAX / 4;

// What one encode did, for the benchmarks.
struct EncodeStats {
    std::size_t written = 0;    // changed cells written
    std::size_t skipped = 0;    // cells passed over unchanged (the rest)
    std::size_t rewritten = 0;  // unchanged cells written again to move over them
    std::size_t moves = 0;      // moves weighed against the absolute address: all but
                                // those that write a short gap again
};

class FrameEncoder {
  public:
    FrameEncoder() = default;
    explicit FrameEncoder(const TerminalDescription& description);

    // Whether frames are framed by begin_update and end_update: the description's
    // cursor address is an ECMA-48 control sequence.
    [[nodiscard]] bool synchronized() const { return synchronized_; }

    // The most bytes that one changed cell can add to a frame of a w x h screen (a move,
    // a style change, the character, and the extra steps of the bottom right cell),
    // whatever the position: a true bound for every description.
    [[nodiscard]] std::size_t cell_bytes_bound(int w, int h) const;

    // Appends to out the bytes that make the screen show the back buffer, given that it
    // shows the front buffer and `model`; then front equals back and `model` is the
    // screen's state after those bytes. Only changed cells are written, each cell in one
    // column, the bottom right one included, without ever scrolling the screen; on a
    // synchronized terminal between begin_update and end_update. Nothing is appended when
    // nothing changed. Out grows as the frame needs; when memory runs out the frame ends
    // early, whole (the update ended, front equal to back for every cell written), and the
    // result is TB_ERR_MEM: the cells left out differ, so a later frame draws them. With
    // `stats`, what the frame took is counted there.
    int encode(CellBuffers& buffers, ScreenModel& model, OutputBuffer& out,
               EncodeStats* stats = nullptr) const;

  private:
    friend struct EncodeRun;

    const TerminalDescription* description_ = nullptr;
    bool ansi_ = false;  // sgr0, the attributes and the colours are ECMA-48 SGR
    bool synchronized_ = false;
    unsigned available_ = 0;  // style_* attributes the terminal can show
    std::size_t style_bound_ = 0;
    std::size_t shortest_jump_ = 0;  // no move along a row but writing cells costs less
    // The costs at the size of the last frame, measured again when the size changes; an
    // encoder is used by one thread at a time.
    mutable MoveCosts costs_;
};

}  // namespace term_internal
