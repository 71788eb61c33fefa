// Parameterised capabilities: which texts the layer accepts, what they expand to (worked by
// hand from the terminfo language, and checked against ncurses' own tiparm), and that no
// expansion ever exceeds its bound.

#include "term/capability.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "term/terminfo_reader.h"

namespace {

using term_internal::ParamCapability;
using Kind = ParamCapability::Kind;

std::string expand(const ParamCapability& capability, int p1, int p2 = 0) {
    char out[term_internal::capability_limit];
    const std::string text(out, capability.write(out, p1, p2));
    EXPECT_EQ(capability.length(p1, p2), text.size());
    return text;
}

struct KindCase {
    const char* text;
    Kind kind;
};

const KindCase kind_cases[] = {
    {"\x1b[H", Kind::literal},
    {"\x1b[H$<5>", Kind::literal},
    {"100%%", Kind::literal},
    {"\x1b[%i%p1%d;%p2%dH", Kind::numeric},
    {"\x1bY%p1%' '%+%c%p2%' '%+%c", Kind::numeric},
    {"\036FP%p2%2.2X%p1%2.2X", Kind::numeric},
    {"%?%p1%{8}%<%t3%p1%d%e9%p1%{8}%-%d%;", Kind::numeric},
    {"%p1%Pa%ga%gA%PA%:-3d", Kind::numeric},
    // String parameters and string lengths.
    {"\x1b[%p1%sC", Kind::refused},
    {"\x1b[%p1%lC", Kind::refused},
    {"\x1b[%p1%5sC", Kind::refused},
    // Operators that do not exist, or miss what follows them.
    {"\x1b[%p1%uC", Kind::refused},
    {"\x1b[%p0%dC", Kind::refused},
    {"\x1b[%p1%d%", Kind::refused},
    {"%p1%'a%c", Kind::refused},
    {"%{}%p1%d", Kind::refused},
    {"%{12%p1%d", Kind::refused},
    {"%{99999999999}%p1%d", Kind::refused},
    {"%p1%P1%d", Kind::refused},
    {"%p1%g$%d", Kind::refused},
    {"%p1%..2d", Kind::refused},
    {"%p1%3c", Kind::refused},
    {"%p1%5#d", Kind::refused},  // a flag after the width is not printf's
    // termcap's convention of parameters that are never pushed.
    {"\x1b[%i%d;%dH", Kind::refused},
    // Expansions that could be longer than any capability may be.
    {"%p1%300d", Kind::refused},
    {"%p1%.300d", Kind::refused},
};

TEST(ParamCapability, SortsTextsIntoLiteralNumericAndRefused) {
    for (const KindCase& c : kind_cases) {
        EXPECT_EQ(ParamCapability(std::string_view(c.text)).kind(), c.kind) << c.text;
    }
    EXPECT_EQ(ParamCapability(static_cast<const char*>(nullptr)).kind(), Kind::absent);
    EXPECT_FALSE(ParamCapability(std::string_view("\x1b[H")).present());
    EXPECT_TRUE(ParamCapability(std::string_view("\x1b[%p1%dC")).present());
}

TEST(ParamCapability, RefusesAnAddressThatIsShortOnTheDiagonalAndLongElsewhere) {
    // Four bytes where the row equals the column, far more than any capability anywhere
    // else: measuring it on the diagonal once gave the output buffer too little room.
    const std::string cup = "%?%p1%p2%=%t\x1b[%i%p1%d;%p2%dH%e" + std::string(16000, 'x') + "%;";
    EXPECT_EQ(ParamCapability(std::string_view(cup)).kind(), Kind::refused);
    const std::string fits = "%?%p1%p2%=%t\x1b[%i%p1%d;%p2%dH%e" + std::string(200, 'x') + "%;";
    const ParamCapability accepted{std::string_view(fits)};
    ASSERT_EQ(accepted.kind(), Kind::numeric);
    EXPECT_EQ(expand(accepted, 3, 4), std::string(200, 'x'));
    EXPECT_GE(accepted.max_length(), 200u);
}

struct ExpansionCase {
    const char* text;
    int p1;
    int p2;
    const char* expected;
};

// Worked by hand. infocmp -1 quotes: xterm-256color cup, vt52 cup, d430c-unix cup, setaf
// and hpa, wy370 setf, avatar cup; the rest exercise single operators.
const ExpansionCase expansion_cases[] = {
    {"\x1b[%i%p1%d;%p2%dH", 3, 4, "\x1b[4;5H"},
    {"\x1b[%i%p1%d;%p2%dH$<5>", 0, 79, "\x1b[1;80H"},
    {"\x1bY%p1%' '%+%c%p2%' '%+%c", 2, 3, "\x1bY\"#"},
    {"\036FP%p2%2.2X%p1%2.2X", 10, 5, "\036FP050A"},
    {"\036FP%p1%2.2XFF", 255, 0, "\036FPFFFF"},
    {"\036A%p1%?%p1%{8}%<%t%{2}%&%?%p1%{1}%&%t%{4}%|%;%?%p1%{4}%&%t%{1}%|%;%;%'0'%+%c", 2, 0,
     "\036A2"},
    {"\036A%p1%?%p1%{8}%<%t%{2}%&%?%p1%{1}%&%t%{4}%|%;%?%p1%{4}%&%t%{1}%|%;%;%'0'%+%c", 1, 0,
     "\036A4"},
    {"\x1b[61;%p1%dw", 4, 0, "\x1b[61;4w"},
    // %c writes 0 as 0x80; a value whose low byte is 0 ends the string there.
    {"\026\010%p1%c%p2%c", 0, 5, "\026\010\x80\x05"},
    {"a%p1%cb", 256, 0, "a"},
    // %i adds one to the first two parameters, once.
    {"%i%i%p1%d,%p2%d", 3, 4, "4,5"},
    {"%p1%d%i%p1%d", 3, 0, "34"},
    // Arithmetic, with division by zero giving 0.
    {"%p1%{3}%/%d,%p1%{3}%m%d,%p1%{0}%/%d", 8, 0, "2,2,0"},
    {"%p1%p2%-%d", 2, 5, "-3"},
    {"%p1%{6}%&%d%p1%{1}%|%d%p1%{3}%^%d%p1%~%d%p1%!%d", 5, 0, "456-60"},
    {"%p1%p2%A%d%p1%p2%O%d%p1%p2%=%d%p1%p2%<%d%p1%p2%>%d", 0, 2, "01010"},
    // Conditionals: else-if chains, nesting, a branch to the end.
    {"%?%p1%{1}%=%tone%e%p1%{2}%=%ttwo%eother%;", 2, 0, "two"},
    {"%?%p1%{1}%=%tone%e%p1%{2}%=%ttwo%eother%;", 7, 0, "other"},
    {"%?%p1%t%?%p2%tab%eaB%;%eA%;.", 1, 0, "aB."},
    {"x%?%p1%tyes", 0, 0, "x"},
    // Variables, and popping an empty stack.
    {"%p1%Pa%p2%PA%ga%gA%+%d", 3, 4, "7"},
    {"%p1%Pz%gy%d%d", 9, 9, "00"},
    // printf's flags, width and precision.
    {"%p1%3d|%p1%:-3d|%p1%03d|%p1%.2d", 7, 0, "  7|7  |007|07"},
    {"%p1%x|%p1%X|%p1%#x|%p1%o|%p1%#o", 255, 0, "ff|FF|0xff|377|0377"},
    {"%p1% d|%p1%.0d|", 0, 0, " 0||"},
};

TEST(ParamCapability, ExpandsAsTheTerminfoLanguageSays) {
    for (const ExpansionCase& c : expansion_cases) {
        const ParamCapability capability{std::string_view(c.text)};
        ASSERT_EQ(capability.kind(), Kind::numeric) << c.text;
        EXPECT_EQ(expand(capability, c.p1, c.p2), c.expected) << c.text;
    }
}

// Each text expanded by ncurses' tiparm and by the layer for a grid of parameters, the
// extremes of int included.
TEST(ParamCapability, AgreesWithTiparm) {
    term_internal::ReferenceTerminal reference("xterm-256color");
    ASSERT_TRUE(reference.ok());
    const int values[] = {INT_MIN, -1000, -1, 0,  1,   2,   7,   8,    9,
                          10,      15,    16, 99, 100, 255, 256, 9999, INT_MAX};
    const char* extra[] = {"%p1%p2%*%d", "%p1%5.3x|%p1%-6o|%p1%#.4X|% 5d", "%p1%{1}%+%c",
                           "%p1%p2%+%p2%p1%-%*%d", "%p2%p1%/%d%p2%p1%m%d"};
    auto check = [&](const std::string& text) {
        const ParamCapability capability{std::string_view(text)};
        if (capability.kind() != Kind::numeric) return;
        for (const int p1 : values) {
            for (const int p2 : values) {
                // ncurses' own int arithmetic traps on this one.
                if (text.find("%/") != std::string::npos && p1 == -1 && p2 == INT_MIN) continue;
                const auto expected = reference.expand(text, p1, p2);
                ASSERT_TRUE(expected.has_value()) << text;
                EXPECT_EQ(expand(capability, p1, p2), term_internal::without_padding(*expected))
                    << text << " with " << p1 << ", " << p2;
            }
        }
    };
    for (const ExpansionCase& c : expansion_cases)
        check(c.text);
    for (const char* text : extra)
        check(text);
}

TEST(ParamCapability, NeverWritesMoreThanItsBound) {
    const int values[] = {INT_MIN, -123456, -1, 0, 1, 9, 10, 99999, INT_MAX};
    for (const ExpansionCase& c : expansion_cases) {
        const ParamCapability capability{std::string_view(c.text)};
        EXPECT_LE(capability.max_length(), term_internal::capability_limit);
        for (const int p1 : values) {
            for (const int p2 : values)
                EXPECT_LE(expand(capability, p1, p2).size(), capability.max_length()) << c.text;
        }
    }
}

TEST(ParamCapability, TakesPaddingOut) {
    EXPECT_EQ(term_internal::without_padding("\x1b[H\x1b[J$<50>"), "\x1b[H\x1b[J");
    EXPECT_EQ(term_internal::without_padding("a$<2*/>b$<5>"), "ab");
    EXPECT_EQ(term_internal::without_padding("cost $5"), "cost $5");
    EXPECT_EQ(expand(ParamCapability(std::string_view("\x1b[%p1%dC$<%p1%d>")), 12), "\x1b[12C");
}

}  // namespace
