#include "render/symbols.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "support.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

using gorv::testing::CapturedFd;
using render_test::MemoryScreen;
using render_test::Reference;

// The textual glyphs in index order, as one UTF-8 string.
constexpr const char glyph_string[] =
    "#~|¦:.\"=+-_<>*012456789｢｣ﾁﾉﾊﾛﾐﾋｰｳｦｼﾅｲﾄｮﾓﾖﾆﾌｻﾜﾂﾝﾔｵﾘｱﾎﾃﾏｹﾒﾚｴｶｷﾑﾕﾗｾﾈｽﾀﾇﾍTMVN";

std::vector<std::string> utf8_characters(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        characters.push_back(text.substr(i, size));
        i += size;
    }
    return characters;
}

std::string text_of(std::uint8_t value, Mode mode) {
    const Result<const char*> text = symbol_text(value, mode);
    return text ? std::string(*text) : "error " + std::string(error_name(text.error()));
}

TEST(SymbolText, GlyphTableByIndex) {
    const std::vector<std::string> glyphs = utf8_characters(glyph_string);
    ASSERT_EQ(glyphs.size(), glyph_count);
    for (std::uint8_t i = 0; i < glyph_count; ++i)
        EXPECT_EQ(text_of(i, Mode::textual), glyphs[i]);
    EXPECT_EQ(text_of(6, Mode::textual), "\"");
    EXPECT_EQ(text_of(27, Mode::textual), "\xEF\xBE\x8A");  // U+FF8A
    for (std::uint8_t i = 0; i < glyph_count; ++i)
        EXPECT_NE(text_of(i, Mode::textual), "3");
}

TEST(SymbolText, DigitsAndWhatDoesNotFit) {
    struct Case {
        Mode mode;
        std::uint8_t value;
        std::string text;
    };
    const std::vector<Case> cases = {
        {Mode::binary, 0, "0"},
        {Mode::binary, 1, "1"},
        {Mode::decimal, 9, "9"},
        {Mode::decimal, 10, "error NoSpaceLeft"},
        {Mode::decimal, 255, "error NoSpaceLeft"},
        {Mode::hexadecimal, 10, "A"},
        {Mode::hexadecimal, 15, "F"},
        {Mode::hexadecimal, 16, "error NoSpaceLeft"},
        {Mode::textual, 72, "N"},
        {Mode::textual, 73, "error NoSpaceLeft"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text_of(c.value, c.mode), c.text) << static_cast<int>(c.value);
    for (std::uint8_t v = 0; v < 16; ++v)
        EXPECT_EQ(text_of(v, Mode::hexadecimal), std::string(1, "0123456789ABCDEF"[v]));
}

// The frames draw from the code point tables; what they draw must be what the texts say.
TEST(SymbolCodePoint, IsTheDecodedTextOfEveryValueAndZeroWhereThereIsNone) {
    for (const Mode mode : {Mode::binary, Mode::decimal, Mode::hexadecimal, Mode::textual}) {
        for (int v = 0; v < 256; ++v) {
            const auto value = static_cast<std::uint8_t>(v);
            const Result<const char*> text = symbol_text(value, mode);
            std::uint32_t decoded = 0;
            if (text) {
                ASSERT_EQ(tb_utf8_char_to_unicode(&decoded, *text),
                          static_cast<int>(std::string(*text).size()));
            }
            EXPECT_EQ(symbol_code_point(value, mode), decoded)
                << static_cast<int>(mode) << " " << v;
        }
    }
    EXPECT_EQ(symbol_code_point(27, Mode::textual), 0xFF8Au);
    EXPECT_EQ(symbol_code_point(15, Mode::hexadecimal), U'F');
}

TEST(NewSymbol, FirstDrawsOfSeed42WorkedByHand) {
    // The first output of seed 42 ends in the byte 0x9F.
    struct Case {
        Mode mode;
        std::uint8_t value;
    };
    const std::vector<Case> cases = {
        {Mode::binary, 1},        // bit 0 of 0x9F
        {Mode::hexadecimal, 15},  // 0x9F & 0xF
        {Mode::decimal, 9},       // x = 15: m = 150, l = 6, t = 6, kept: 150 >> 4
        {Mode::textual, 45},      // x = 159: m = 11607, l = 87 >= 73: 11607 >> 8
    };
    for (const Case& c : cases) {
        RenderState state;
        state.random.reseed(42);
        state.mode = c.mode;
        state.fg = TB_GREEN;
        const Symbol symbol = new_symbol(state, false);
        EXPECT_EQ(symbol.value, c.value) << static_cast<int>(c.mode);
        EXPECT_EQ(symbol.fg, TB_GREEN);
        EXPECT_EQ(symbol.bg, 0u);
        EXPECT_EQ(state.random.next(), 0x519E4174576F3791ULL);  // the second output: one draw
    }
}

// Every accent draw against the reference stream: value first, then one draw per entry.
TEST(NewSymbol, AccentsDrawInListOrder) {
    struct Case {
        const char* name;
        std::optional<std::vector<Accent>> accents;
        bool column_dim;
    };
    const std::vector<Case> cases = {
        {"absent", std::nullopt, false},
        {"empty", std::vector<Accent>{}, false},
        {"bright bold dim", std::vector{Accent::bright, Accent::bold, Accent::dim}, false},
        {"dim bold, column dim", std::vector{Accent::dim, Accent::bold}, true},
        {"pulse twice", std::vector{Accent::pulse, Accent::bold, Accent::pulse}, false},
    };
    for (const Case& c : cases) {
        RenderState state;
        state.random.reseed(1234);
        state.mode = Mode::hexadecimal;
        state.fg = TB_DEFAULT;
        state.accents = c.accents;
        Reference reference(1234);
        int reversed = 0;
        for (int i = 0; i < 4000; ++i) {
            const Symbol symbol = new_symbol(state, c.column_dim);
            const auto value = static_cast<std::uint8_t>(reference.next() & 0xF);
            std::uint32_t fg = 0;
            std::uint32_t bg = 0;
            for (const Accent accent : c.accents.value_or(std::vector<Accent>{})) {
                if (accent == Accent::dim && c.column_dim) {
                    fg |= TB_DIM;
                    continue;
                }
                const std::uint64_t draw = reference.next();
                if (accent == Accent::bold && (draw & 1)) fg |= TB_BOLD;
                if (accent == Accent::bright && (draw & 1)) fg |= TB_BRIGHT;
                if (accent == Accent::dim && (draw & 1)) fg |= TB_DIM;
                if (accent == Accent::pulse && (draw & 0xFF) == 254) bg |= TB_REVERSE;
            }
            ASSERT_EQ(symbol.value, value) << c.name << " " << i;
            ASSERT_EQ(symbol.fg, fg) << c.name << " " << i;
            ASSERT_EQ(symbol.bg, bg) << c.name << " " << i;
            reversed += bg != 0;
        }
        EXPECT_EQ(state.random.next(), reference.next()) << c.name;
        if (std::string(c.name) == "pulse twice") {
            EXPECT_GT(reversed, 0);
        }
    }
}

TEST(NewSymbol, ValuesStayInRange) {
    for (const Mode mode : {Mode::binary, Mode::decimal, Mode::hexadecimal, Mode::textual}) {
        RenderState state;
        state.random.reseed(99);
        state.mode = mode;
        std::set<int> seen;
        for (int i = 0; i < 20000; ++i)
            seen.insert(new_symbol(state, false).value);
        const int expected = mode == Mode::binary        ? 2
                             : mode == Mode::decimal     ? 10
                             : mode == Mode::hexadecimal ? 16
                                                         : 73;
        EXPECT_EQ(static_cast<int>(seen.size()), expected);
        EXPECT_EQ(*seen.rbegin(), expected - 1);
    }
}

TEST(PutCell, DebugLinesAreWholeAndExact) {
    CapturedFd capture;
    put_cell(true, 3, 7, TB_RED | TB_BOLD, TB_DEFAULT, "A");
    put_cell(true, 0, 11, TB_DIM, TB_REVERSE, "\xEF\xBE\x8A");
    put_cell(true, 4294967294u, 0, 0, 0, "\xE2\x94\x82");
    capture.restore();
    EXPECT_EQ(capture.text(),
              "info(gorv): A: 3x7 258/0\n"
              "info(gorv): \xEF\xBE\x8A: 0x11 32768/1024\n"
              "info(gorv): \xE2\x94\x82: 4294967294x0 0/0\n");
}

TEST(PutCell, SetsTheDecodedCharacterAndRefusesPositionsOffScreen) {
    MemoryScreen screen(4, 3);
    ASSERT_TRUE(screen.opened());
    tb_clear();
    put_cell(false, 1, 2, TB_GREEN | TB_BOLD, TB_REVERSE, "\xEF\xBE\x8A");
    put_cell(false, 4294967294u, 0, TB_RED, 0, "x");  // a wrapped position left of 0
    put_cell(false, 4, 0, TB_RED, 0, "x");
    put_cell(false, 0, 3, TB_RED, 0, "x");
    tb_present();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const term_test::MemoryCell cell = term_test::memory_screen_cell(x, y);
            if (x == 1 && y == 2) {
                EXPECT_EQ(cell.ch, 0xFF8Au);
                EXPECT_EQ(cell.fg, TB_GREEN | TB_BOLD);
                EXPECT_EQ(cell.bg, TB_REVERSE);
            } else {
                EXPECT_EQ(cell.ch, static_cast<std::uint32_t>(' ')) << x << "," << y;
            }
        }
    }
}

TEST(PutCell, CoordinatesBeyondIntAreRefused) {
    EXPECT_EQ(cell_coordinate(0), 0);
    EXPECT_EQ(cell_coordinate(79), 79);
    EXPECT_EQ(cell_coordinate(static_cast<std::uint32_t>(INT_MAX)), INT_MAX);
    EXPECT_EQ(cell_coordinate(0x80000000u), -1);
    EXPECT_EQ(cell_coordinate(0xFFFFFFFEu), -1);
}

}  // namespace
}  // namespace gorv
