#include "term/cell_style.h"

#include <cwchar>

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

std::uint32_t display_char(std::uint32_t ch, bool utf8) {
    if (ch == 0) return ' ';
    if (ch >= 0x20 && ch < 0x7F) return ch;
    if (!utf8) return '?';
    if (ch < 0xA0 || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) return replacement_char;
    return wcwidth(static_cast<wchar_t>(ch)) == 1 ? ch : replacement_char;
}

}  // namespace term_internal
