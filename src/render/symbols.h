#pragma once

#include <array>
#include <climits>
#include <cstdint>

#include "core/error.h"
#include "core/settings.h"
#include "render/random.h"
#include "render/render_state.h"
#include "term/termbox2.h"

namespace gorv {

// Number of glyphs of the textual mode; a textual value is an index below it.
inline constexpr std::uint32_t glyph_count = 73;

// Draws a new symbol for the state's mode with the state's colours and accents. The
// value comes first (binary: random_bit; decimal: uniform_below 10 on 4-bit draws;
// hexadecimal: a byte masked to 4 bits; textual: uniform_below 73 on whole bytes), then
// one draw per accent in list order: bold, bright and dim a bit each (dim none when
// `column_dim` is set, which makes the symbol dim), pulse a byte that reverses the
// background when it is 254.
[[nodiscard]] Symbol new_symbol(RenderState& state, bool column_dim);

// The zero-terminated text of a symbol value in the mode: a decimal digit (binary,
// decimal), an upper-case hexadecimal digit, or the UTF-8 glyph of the textual table.
// The text lives in a scratch buffer of the calling thread (2 bytes for digits, 4 for
// glyphs) and stays valid until that thread's next call. NoSpaceLeft when the text and
// its terminator do not fit (a value of two or more digits), or for a textual value
// outside the table.
[[nodiscard]] Result<const char*> symbol_text(std::uint8_t value, Mode mode);

// The characters that symbol values show, by value: entry v of a mode's table is the
// character of symbol_text(v, mode) as a code point, or 0 where symbol_text fails for v.
using CodePoints = std::array<std::uint32_t, 256>;

// The table of the mode, for drawing symbols without making their texts.
[[nodiscard]] const CodePoints& symbol_code_points(Mode mode);

// The character of symbol_text(value, mode) as a code point; 0 where symbol_text fails.
[[nodiscard]] inline std::uint32_t symbol_code_point(std::uint8_t value, Mode mode) {
    return symbol_code_points(mode)[value];
}

// Places the first character of the text at (x, y) of the terminal's back buffer with
// the attribute words fg and bg; a position outside the screen is not drawn. In debug
// mode writes instead the line "info(gorv): <text>: <x>x<y> <fg>/<bg>" to standard
// error, whole, under the log lock. Allocates nothing.
void put_cell(bool debug, std::uint32_t x, std::uint32_t y, std::uint32_t fg, std::uint32_t bg,
              const char* text);

// A cell coordinate as the terminal layer takes it: values beyond INT_MAX (such as a
// position below 0 that wrapped around in unsigned arithmetic) become -1, which the
// layer refuses.
[[nodiscard]] constexpr int cell_coordinate(std::uint32_t position) {
    return position <= static_cast<std::uint32_t>(INT_MAX) ? static_cast<int>(position) : -1;
}

// Defined here so that the frame loops inline it: returned through registers, the
// record's value byte makes a store and a wider reload that stalls on every cell.
inline Symbol new_symbol(RenderState& state, bool column_dim) {
    Random& random = state.random;
    std::uint32_t value = 0;
    switch (state.mode) {
        case Mode::binary:
            value = random_bit(random);
            break;
        case Mode::decimal:
            value = uniform_below(random, 10, DrawWidth::bits4);
            break;
        case Mode::hexadecimal:
            value = random_byte(random) & 0xFu;
            break;
        case Mode::textual:
            value = uniform_below(random, glyph_count, DrawWidth::byte);
            break;
    }
    std::uint32_t fg = state.fg;
    std::uint32_t bg = state.bg;
    if (state.accents) {
        for (const Accent accent : *state.accents) {
            switch (accent) {
                case Accent::bold:
                    if (random_bit(random) == 1) fg |= TB_BOLD;
                    break;
                case Accent::bright:
                    if (random_bit(random) == 1) fg |= TB_BRIGHT;
                    break;
                case Accent::dim:
                    if (column_dim || random_bit(random) == 1) fg |= TB_DIM;
                    break;
                case Accent::pulse:
                    if (random_byte(random) == 254) bg |= TB_REVERSE;
                    break;
            }
        }
    }
    return Symbol{bg, fg, static_cast<std::uint8_t>(value)};
}

}  // namespace gorv
