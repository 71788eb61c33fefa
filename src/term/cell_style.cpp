#include "term/cell_style.h"

#include "term/char_width.h"

namespace term_internal {

namespace {

constexpr uintattr_t colour_field = 0x00FF;
constexpr std::uint32_t replacement_char = 0xFFFD;

// Terminal colour of one word, or -1; sets `bold` when bright has to be shown as bold.
int colour_of(uintattr_t word, int colours, bool& bold) {
    const int colour = word & colour_field;
    if (colour < TB_BLACK || colour > TB_WHITE) return -1;
    const bool bright = (word & TB_BRIGHT) != 0;
    if (bright && colours < 16) bold = true;
    if (colours < 8) return -1;
    return colour - 1 + (bright && colours >= 16 ? 8 : 0);
}

}  // namespace

CellStyle cell_style(uintattr_t fg, uintattr_t bg, int colours) {
    bool bold = false;
    CellStyle style{colour_of(fg, colours, bold), colour_of(bg, colours, bold), 0};
    if ((fg & TB_BOLD) != 0 || bold) style.attributes |= style_bold;
    if ((fg & TB_DIM) != 0) style.attributes |= style_dim;
    if ((fg & TB_UNDERLINE) != 0) style.attributes |= style_underline;
    if ((fg & TB_ITALIC) != 0) style.attributes |= style_italic;
    if ((fg & TB_BLINK) != 0) style.attributes |= style_blink;
    if (((fg | bg) & TB_REVERSE) != 0) style.attributes |= style_reverse;
    return style;
}

std::uint32_t display_char_beyond_ascii(std::uint32_t ch) {
    if (ch == 0) return ' ';
    return is_one_column(ch) ? ch : replacement_char;
}

char* put_utf8_beyond_ascii(char* out, std::uint32_t ch) {
    auto byte = [](std::uint32_t bits) {
        return static_cast<char>(static_cast<unsigned char>(bits));
    };
    if (ch < 0x800) {
        *out++ = byte(0xC0 | (ch >> 6));
        *out++ = byte(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        *out++ = byte(0xE0 | (ch >> 12));
        *out++ = byte(0x80 | ((ch >> 6) & 0x3F));
        *out++ = byte(0x80 | (ch & 0x3F));
    } else {
        *out++ = byte(0xF0 | (ch >> 18));
        *out++ = byte(0x80 | ((ch >> 12) & 0x3F));
        *out++ = byte(0x80 | ((ch >> 6) & 0x3F));
        *out++ = byte(0x80 | (ch & 0x3F));
    }
    return out;
}

}  // namespace term_internal
