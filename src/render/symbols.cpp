#include "render/symbols.h"

#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

#include "core/log.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

// The glyphs of the textual mode by index. There is no digit 3.
constexpr std::array<char32_t, glyph_count> glyph_code_points = {
    U'\u0023', U'\u007E', U'\u007C', U'\u00A6', U'\u003A', U'\u002E', U'\u0022', U'\u003D',
    U'\u002B', U'\u002D', U'\u005F', U'\u003C', U'\u003E', U'\u002A', U'\u0030', U'\u0031',
    U'\u0032', U'\u0034', U'\u0035', U'\u0036', U'\u0037', U'\u0038', U'\u0039', U'\uFF62',
    U'\uFF63', U'\uFF81', U'\uFF89', U'\uFF8A', U'\uFF9B', U'\uFF90', U'\uFF8B', U'\uFF70',
    U'\uFF73', U'\uFF66', U'\uFF7C', U'\uFF85', U'\uFF72', U'\uFF84', U'\uFF6E', U'\uFF93',
    U'\uFF96', U'\uFF86', U'\uFF8C', U'\uFF7B', U'\uFF9C', U'\uFF82', U'\uFF9D', U'\uFF94',
    U'\uFF75', U'\uFF98', U'\uFF71', U'\uFF8E', U'\uFF83', U'\uFF8F', U'\uFF79', U'\uFF92',
    U'\uFF9A', U'\uFF74', U'\uFF76', U'\uFF77', U'\uFF91', U'\uFF95', U'\uFF97', U'\uFF7E',
    U'\uFF88', U'\uFF7D', U'\uFF80', U'\uFF87', U'\uFF8D', U'\u0054', U'\u004D', U'\u0056',
    U'\u004E',
};

// A glyph's UTF-8 bytes and its length.
struct Utf8 {
    std::array<char, 3> bytes{};
    std::uint8_t size = 0;
};

constexpr Utf8 encode(char32_t code_point) {
    Utf8 out;
    auto byte = [](std::uint32_t bits) {
        return static_cast<char>(static_cast<std::uint8_t>(bits));
    };
    const auto c = static_cast<std::uint32_t>(code_point);
    if (c < 0x80) {
        out.bytes[0] = byte(c);
        out.size = 1;
    } else if (c < 0x800) {
        out.bytes[0] = byte(0xC0 | (c >> 6));
        out.bytes[1] = byte(0x80 | (c & 0x3F));
        out.size = 2;
    } else {
        out.bytes[0] = byte(0xE0 | (c >> 12));
        out.bytes[1] = byte(0x80 | ((c >> 6) & 0x3F));
        out.bytes[2] = byte(0x80 | (c & 0x3F));
        out.size = 3;
    }
    return out;
}

constexpr std::array<Utf8, glyph_count> glyph_texts = [] {
    std::array<Utf8, glyph_count> texts{};
    for (std::size_t i = 0; i < glyph_count; ++i)
        texts[i] = encode(glyph_code_points[i]);
    return texts;
}();

constexpr char hexadecimal_digits[] = "0123456789ABCDEF";

constexpr char32_t hexadecimal_code_points[] = U"0123456789ABCDEF";

// The first `count` entries of `characters`, the rest 0.
constexpr CodePoints code_points_of(const char32_t* characters, std::size_t count) {
    CodePoints table{};
    for (std::size_t v = 0; v < count; ++v)
        table[v] = static_cast<std::uint32_t>(characters[v]);
    return table;
}

// By Mode: binary, decimal, hexadecimal, textual.
constexpr std::array<CodePoints, 4> code_point_tables = {
    code_points_of(hexadecimal_code_points, 10),
    code_points_of(hexadecimal_code_points, 10),
    code_points_of(hexadecimal_code_points, 16),
    code_points_of(glyph_code_points.data(), glyph_count),
};

// The scratch buffers of the calling thread, text and terminator included.
thread_local char digit_text[2];
thread_local char glyph_text[4];

// Writes the value in the base into the digit buffer; NoSpaceLeft when it needs more
// than one digit.
Result<const char*> digit(std::uint8_t value, std::uint8_t base) {
    if (value >= base) return std::unexpected(Error::NoSpaceLeft);
    digit_text[0] = hexadecimal_digits[value];
    digit_text[1] = '\0';
    return digit_text;
}

std::string_view decimal(char* buffer, std::size_t size, std::uint32_t value) {
    const auto end = std::to_chars(buffer, buffer + size, value).ptr;
    return {buffer, static_cast<std::size_t>(end - buffer)};
}

}  // namespace

Result<const char*> symbol_text(std::uint8_t value, Mode mode) {
    switch (mode) {
        case Mode::binary:
        case Mode::decimal:
            return digit(value, 10);
        case Mode::hexadecimal:
            return digit(value, 16);
        case Mode::textual: {
            if (value >= glyph_count) return std::unexpected(Error::NoSpaceLeft);
            const Utf8& glyph = glyph_texts[value];
            std::memcpy(glyph_text, glyph.bytes.data(), glyph.size);
            glyph_text[glyph.size] = '\0';
            return glyph_text;
        }
    }
    return std::unexpected(Error::NoSpaceLeft);
}

const CodePoints& symbol_code_points(Mode mode) {
    return code_point_tables[static_cast<std::size_t>(mode) & 3u];
}

void put_cell(bool debug, std::uint32_t x, std::uint32_t y, std::uint32_t fg, std::uint32_t bg,
              const char* text) {
    if (!debug) {
        std::uint32_t ch = 0;
        (void)tb_utf8_char_to_unicode(&ch, text);
        (void)tb_set_cell(cell_coordinate(x), cell_coordinate(y), ch, static_cast<uintattr_t>(fg),
                          static_cast<uintattr_t>(bg));
        return;
    }
    char xs[10];
    char ys[10];
    char fgs[10];
    char bgs[10];
    log_pieces({"info(gorv): ", text, ": ", decimal(xs, sizeof xs, x), "x",
                decimal(ys, sizeof ys, y), " ", decimal(fgs, sizeof fgs, fg), "/",
                decimal(bgs, sizeof bgs, bg), "\n"});
}

}  // namespace gorv
