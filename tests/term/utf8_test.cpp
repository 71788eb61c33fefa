#include <gtest/gtest.h>

#include <cstdint>

#include "term/termbox2.h"

namespace {

struct Utf8Case {
    const char* text;
    int length;
    std::uint32_t code_point;
};

// Encodings as published in the Unicode code charts.
constexpr Utf8Case complete_cases[] = {
    {"A", 1, 0x41},
    {"ab", 1, 0x61},  // only the first character
    {"\xC3\xA9", 2, 0xE9},
    {"\xC2\xA6", 2, 0xA6},
    {"\xE2\x94\x8C", 3, 0x250C},
    {"\xEF\xBE\x8A", 3, 0xFF8A},
    {"\xEF\xBD\xA2", 3, 0xFF62},
    {"\xF0\x9F\x98\x80", 4, 0x1F600},
    {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
};

TEST(Utf8CharToUnicode, DecodesTheFirstCharacter) {
    for (const Utf8Case& c : complete_cases) {
        std::uint32_t out = 0xDEADBEEF;
        EXPECT_EQ(tb_utf8_char_to_unicode(&out, c.text), c.length) << c.text;
        EXPECT_EQ(out, c.code_point) << c.text;
    }
}

struct IncompleteCase {
    const char* text;
    int result;
};

constexpr IncompleteCase incomplete_cases[] = {
    {"", 0}, {"\xC3", -1}, {"\xE2\x94", -2}, {"\xEF", -1}, {"\xF0\x9F", -2}, {"\xF0\x9F\x98", -3},
};

TEST(Utf8CharToUnicode, LeavesOutUnchangedForEmptyOrTruncatedText) {
    for (const IncompleteCase& c : incomplete_cases) {
        std::uint32_t out = 0xDEADBEEF;
        EXPECT_EQ(tb_utf8_char_to_unicode(&out, c.text), c.result) << c.result;
        EXPECT_EQ(out, 0xDEADBEEFu);
    }
}

}  // namespace
