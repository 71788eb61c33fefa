#pragma once

// How an attribute word pair and a character look on a terminal, decided without one.
// Internal to src/term.

#include <cstddef>
#include <cstdint>

#include "term/termbox2.h"

namespace term_internal {

// Attribute flags of a CellStyle.
inline constexpr unsigned style_bold = 1u << 0;
inline constexpr unsigned style_dim = 1u << 1;
inline constexpr unsigned style_underline = 1u << 2;
inline constexpr unsigned style_italic = 1u << 3;
inline constexpr unsigned style_blink = 1u << 4;
inline constexpr unsigned style_reverse = 1u << 5;

struct CellStyle {
    int fg;               // terminal colour 0 to 15, or -1 for the terminal's default
    int bg;               // likewise
    unsigned attributes;  // style_* flags

    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

// The style of a cell drawn with the words fg and bg on a terminal offering `colours`
// colours (0 when it has none). Colours 1 to 8 become terminal colours 0 to 7 and
// TB_DEFAULT (or any other value of the colour field) the default colour; TB_BRIGHT adds
// 8 to a colour when the terminal has at least 16 colours, and bolds it otherwise; it
// changes nothing on a default colour. Bold, dim, underline, italic and blink come from
// fg, reverse from either word.
CellStyle cell_style(uintattr_t fg, uintattr_t bg, int colours);

// The character to write for the cell character ch: 0 is a blank; a character that is not
// printable in exactly one column (control characters, combining and wide characters,
// surrogates, values beyond U+10FFFF) becomes U+FFFD, so that every cell stays one column.
// The same whatever the locale. Printable ASCII, nearly every cell, is decided inline.
std::uint32_t display_char_beyond_ascii(std::uint32_t ch);
inline std::uint32_t display_char(std::uint32_t ch) {
    return ch - 0x20u < 0x5Fu ? ch : display_char_beyond_ascii(ch);
}

// Writes ch (at most U+10FFFF) as UTF-8 at out and returns the end: 1 to 4 bytes.
char* put_utf8_beyond_ascii(char* out, std::uint32_t ch);
inline char* put_utf8(char* out, std::uint32_t ch) {
    if (ch >= 0x80) return put_utf8_beyond_ascii(out, ch);
    *out = static_cast<char>(ch);
    return out + 1;
}

// The number of bytes put_utf8 writes for ch.
inline std::size_t utf8_length(std::uint32_t ch) {
    return ch < 0x80 ? 1 : ch < 0x800 ? 2 : ch < 0x10000 ? 3 : 4;
}

}  // namespace term_internal
