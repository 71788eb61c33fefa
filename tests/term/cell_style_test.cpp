#include "term/cell_style.h"

#include <gtest/gtest.h>

#include <clocale>

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

class DisplayChar : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        saved_ = current != nullptr ? current : "C";
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    }
    void TearDown() override { std::setlocale(LC_CTYPE, saved_.c_str()); }

  private:
    std::string saved_;
};

TEST_F(DisplayChar, KeepsOneColumnCharactersAndReplacesTheRest) {
    constexpr std::uint32_t replacement = 0xFFFD;
    const std::uint32_t cases[][2] = {
        {0, ' '},
        {'A', 'A'},
        {0xE9, 0xE9},
        {0xFF8A, 0xFF8A},
        {0x250C, 0x250C},
        {0x1B, replacement},  // escape: would start a terminal command
        {'\n', replacement},
        {0x7F, replacement},
        {0x9B, replacement},      // C1 control sequence introducer
        {0x0301, replacement},    // combining: zero columns
        {0x4E00, replacement},    // wide: two columns
        {0xD800, replacement},    // surrogate
        {0x110000, replacement},  // beyond Unicode
    };
    for (const auto& c : cases) {
        EXPECT_EQ(term_internal::display_char(c[0], true), c[1]) << std::hex << c[0];
    }
}

TEST_F(DisplayChar, WritesOnlyAsciiWithoutUtf8) {
    EXPECT_EQ(term_internal::display_char('A', false), static_cast<std::uint32_t>('A'));
    EXPECT_EQ(term_internal::display_char(0xFF8A, false), static_cast<std::uint32_t>('?'));
    EXPECT_EQ(term_internal::display_char(0x1B, false), static_cast<std::uint32_t>('?'));
}

}  // namespace
