#include "term/cell_style.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using term_internal::CellStyle;
using term_internal::style_blink;
using term_internal::style_bold;
using term_internal::style_dim;
using term_internal::style_italic;
using term_internal::style_reverse;
using term_internal::style_underline;

struct StyleCase {
    uintattr_t fg;
    uintattr_t bg;
    int colours;
    CellStyle expected;
};

constexpr StyleCase style_cases[] = {
    {TB_DEFAULT, TB_DEFAULT, 256, {-1, -1, 0}},
    {TB_BOLD, TB_DEFAULT, 256, {-1, -1, style_bold}},
    {TB_DIM, TB_DEFAULT, 256, {-1, -1, style_dim}},
    {TB_UNDERLINE | TB_ITALIC | TB_BLINK,
     0,
     8,
     {-1, -1, style_underline | style_italic | style_blink}},
    {TB_REVERSE, TB_DEFAULT, 256, {-1, -1, style_reverse}},
    {TB_DEFAULT, TB_REVERSE, 256, {-1, -1, style_reverse}},
    {TB_DEFAULT, TB_BOLD | TB_DIM, 256, {-1, -1, 0}},  // only fg carries these
    {TB_BLACK, TB_BLACK, 8, {0, 0, 0}},
    {TB_RED, TB_DEFAULT, 256, {1, -1, 0}},
    {TB_WHITE, TB_BLUE, 8, {7, 4, 0}},
    {TB_GREEN | TB_BRIGHT, TB_DEFAULT, 256, {10, -1, 0}},
    {TB_GREEN | TB_BRIGHT, TB_DEFAULT, 16, {10, -1, 0}},
    {TB_GREEN | TB_BRIGHT, TB_DEFAULT, 8, {2, -1, style_bold}},
    {TB_WHITE, TB_MAGENTA | TB_BRIGHT, 16, {7, 13, 0}},
    {TB_BRIGHT, TB_DEFAULT, 256, {-1, -1, 0}},  // bright without a colour changes nothing
    {TB_BRIGHT, TB_DEFAULT, 8, {-1, -1, 0}},
    {TB_RED | TB_BRIGHT, TB_DEFAULT, 0, {-1, -1, style_bold}},
    {TB_RED | TB_DIM, TB_DEFAULT, 0, {-1, -1, style_dim}},
    {0x0009, 0x00FF, 256, {-1, -1, 0}},  // not a colour of the default output mode
};

TEST(CellStyle, MapsAttributeWordsToTerminalColoursAndAttributes) {
    for (const StyleCase& c : style_cases) {
        EXPECT_EQ(term_internal::cell_style(c.fg, c.bg, c.colours), c.expected)
            << std::hex << c.fg << "/" << c.bg << " with " << std::dec << c.colours;
    }
}

// Widths as published in Unicode's East Asian Width data; none depends on the locale, so
// the test runs in the "C" locale the test program starts in.
TEST(DisplayChar, KeepsOneColumnCharactersAndReplacesTheRest) {
    constexpr std::uint32_t replacement = 0xFFFD;
    const std::uint32_t cases[][2] = {
        {0, ' '},
        {'A', 'A'},
        {0xA6, 0xA6},  // broken bar, a glyph of the textual mode
        {0xE9, 0xE9},
        {0xFF61, 0xFF61},  // the first and last half-width katakana forms
        {0xFF8A, 0xFF8A},
        {0xFF9F, 0xFF9F},
        {0x250C, 0x250C},  // box drawing
        {0x2500, 0x2500},
        {0xFFFD, 0xFFFD},
        {0x1B, replacement},  // escape: would start a terminal command
        {'\n', replacement},
        {0x7F, replacement},
        {0x9B, replacement},      // C1 control sequence introducer
        {0x0301, replacement},    // combining: zero columns
        {0x4E00, replacement},    // wide: two columns
        {0xFF21, replacement},    // full-width A
        {0x1F600, replacement},   // emoji: two columns
        {0xD800, replacement},    // surrogate
        {0x110000, replacement},  // beyond Unicode
        {0xFFFFFFFF, replacement},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(term_internal::display_char(c[0]), c[1]) << std::hex << c[0];
    }
}

TEST(Utf8Encoding, WritesOneToFourBytes) {
    struct Case {
        std::uint32_t ch;
        const char* bytes;
    };
    // Encodings as published in the Unicode code charts.
    const Case cases[] = {{'A', "A"},
                          {0xA6, "\xC2\xA6"},
                          {0x7FF, "\xDF\xBF"},
                          {0x250C, "\xE2\x94\x8C"},
                          {0xFF8A, "\xEF\xBE\x8A"},
                          {0x1F600, "\xF0\x9F\x98\x80"},
                          {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
    for (const Case& c : cases) {
        char out[4];
        char* end = term_internal::put_utf8(out, c.ch);
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(end - out)), c.bytes)
            << std::hex << c.ch;
        EXPECT_EQ(term_internal::utf8_length(c.ch), std::string(c.bytes).size());
    }
}

}  // namespace
