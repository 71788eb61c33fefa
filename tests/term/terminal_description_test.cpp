// Descriptions made from plain tables, as the terminfo reader returns them: which
// capabilities the layer keeps, how it sets colours, how it clears a screen without clear,
// and the renderer's bound on descriptions no database has.

#include "term/terminal_description.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/screen_clear.h"
#include "term/termbox2.h"

namespace {

using term_internal::TerminalDescription;
using term_internal::TerminfoEntry;

constexpr const char* ansi_cup = "\x1b[%i%p1%d;%p2%dH";

// A frame's bytes on a terminal whose cursor address is ECMA-48: one synchronized update.
std::string update(const std::string& cells) {
    return "\x1b[?2026h" + cells + "\x1b[?2026l";
}

TerminfoEntry entry(std::initializer_list<std::pair<const char*, std::string>> strings,
                    int colours = -1) {
    TerminfoEntry e;
    e.colours = colours;
    for (const auto& [name, text] : strings)
        e.strings.emplace_back(name, text);
    return e;
}

TEST(TerminalDescription, ACursorAddressTheLayerCannotExpandIsNoCursorAddressing) {
    for (const char* cup : {"\x1b[%p1%s;%p2%sH", "\x1b[%p1%l;%p2%dH", "\x1b[H", "\x1b[%p1%qH"}) {
        TerminalDescription description;
        EXPECT_EQ(term_internal::describe_terminal(entry({{"cup", cup}}), description),
                  TB_ERR_NO_TERM)
            << cup;
    }
}

TEST(TerminalDescription, MovesTheLayerCannotExpandAreAbsent) {
    TerminalDescription d;
    ASSERT_EQ(term_internal::describe_terminal(entry({{"cup", ansi_cup},
                                                      {"cuf", "\x1b[%p1%sC"},
                                                      {"hpa", "\x1b[%p1%lG"},
                                                      {"cub", "\x1b[D"},
                                                      {"cud", "\x1b[%p1%dB"},
                                                      {"sgr0", std::string(300, 'z')}}),
                                               d),
              TB_OK);
    EXPECT_TRUE(d.move.present());
    EXPECT_FALSE(d.right.present());
    EXPECT_FALSE(d.column.present());
    EXPECT_FALSE(d.left_by.present());  // takes no parameter
    EXPECT_TRUE(d.down_by.present());
    EXPECT_EQ(d.reset_style, "") << "longer than any capability may be";
}

TEST(TerminalDescription, SetsColoursWithTheDescriptionsOwnCapabilities) {
    struct Case {
        TerminfoEntry entry;
        int colours;
        bool blue_first;
    };
    const std::string setaf = "\x1b[3%p1%dm";
    const std::string setab = "\x1b[4%p1%dm";
    const Case cases[] = {
        {entry({{"cup", ansi_cup}, {"setaf", setaf}, {"setab", setab}}, 8), 8, false},
        {entry({{"cup", ansi_cup}, {"setf", setaf}, {"setb", setab}}, 8), 8, true},
        // setaf without setab: the pair that is whole.
        {entry({{"cup", ansi_cup}, {"setaf", setaf}, {"setf", setaf}, {"setb", setab}}, 16), 16,
         true},
        // No way to set them, or none that the layer can expand: no colours.
        {entry({{"cup", ansi_cup}}, 8), 0, false},
        {entry({{"cup", ansi_cup}, {"setaf", "\x1b[3%p1%sm"}, {"setab", setab}}, 8), 0, false},
        {entry({{"cup", ansi_cup}, {"setaf", setaf}, {"setab", setab}}), 0, false},
    };
    for (const Case& c : cases) {
        TerminalDescription d;
        ASSERT_EQ(term_internal::describe_terminal(c.entry, d), TB_OK);
        EXPECT_EQ(d.colours, c.colours);
        EXPECT_EQ(d.blue_first, c.blue_first);
        EXPECT_EQ(d.foreground.present(), c.colours > 0);
    }
}

TEST(TerminalDescription, CountsColoursBlueFirstForSetf) {
    TerminalDescription d;
    // ECMA-48: red 1, green 2, yellow 3, blue 4; setf: blue 1, green 2, red 4.
    EXPECT_EQ(term_internal::description_colour(d, 1), 1);
    d.blue_first = true;
    const int expected[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(term_internal::description_colour(d, c), expected[c]) << c;
}

class Frames {
  public:
    Frames(const TerminfoEntry& e, int w, int h) {
        EXPECT_EQ(term_internal::describe_terminal(e, description_), TB_OK);
        encoder_ = term_internal::FrameEncoder(description_);
        term_internal::resize_cell_buffers(buffers_, w, h);
        std::fill(buffers_.back.begin(), buffers_.back.end(), term_internal::blank_cell);
        buffers_.front = buffers_.back;
        model_.cursor = {term_internal::CursorModel::Kind::known, 0, 0};
        model_.style_known = true;
    }

    void set(int x, int y, std::uint32_t ch, uintattr_t fg = TB_DEFAULT) {
        buffers_.back[buffers_.index(x, y)] = term_internal::Cell{ch, fg, TB_DEFAULT};
    }

    std::string present() {
        out_.size = 0;
        EXPECT_EQ(encoder_.encode(buffers_, model_, out_), TB_OK);
        return {out_.data.get(), out_.size};
    }

    const TerminalDescription& description() const { return description_; }
    const term_internal::FrameEncoder& encoder() const { return encoder_; }

  private:
    TerminalDescription description_;
    term_internal::FrameEncoder encoder_;
    term_internal::CellBuffers buffers_;
    term_internal::ScreenModel model_;
    term_internal::OutputBuffer out_;
};

TEST(FrameEncoder, BoundsAnAddressThatIsLongOffTheDiagonal) {
    // Four bytes where row and column are equal, 200 elsewhere.
    const std::string cup = "%?%p1%p2%=%t\x1b[%i%p1%d;%p2%dH%e" + std::string(200, 'x') + "%;";
    Frames frames(entry({{"cup", cup}}), 12, 6);
    EXPECT_GE(frames.encoder().cell_bytes_bound(12, 6), 2 * 200u);
    // Every cell changes and every move is an address: the buffer grows for each.
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 12; x += 2)
            frames.set(x, y, '#');
    }
    EXPECT_NE(frames.present().find(std::string(200, 'x')), std::string::npos);
}

TEST(FrameEncoder, ComposesSgrWhereTheDescriptionsColoursProveToBeSgr) {
    // ANSI.SYS's setf: blue first, but writing ECMA-48's codes in the end.
    const std::string setf =
        "\x1b[3%?%p1%{1}%=%t4%e%p1%{3}%=%t6%e%p1%{4}%=%t1%e%p1%{6}%=%t3%e%p1%d%;m";
    const std::string setb =
        "\x1b[4%?%p1%{1}%=%t4%e%p1%{3}%=%t6%e%p1%{4}%=%t1%e%p1%{6}%=%t3%e%p1%d%;m";
    Frames sgr(entry({{"cup", ansi_cup},
                      {"sgr0", "\x1b[m"},
                      {"bold", "\x1b[1m"},
                      {"setf", setf},
                      {"setb", setb}},
                     8),
               3, 1);
    sgr.set(0, 0, 'r', TB_RED);
    sgr.set(1, 0, 'b', TB_BLUE | TB_BOLD);
    EXPECT_EQ(sgr.present(), update("\x1b[31mr\x1b[1;34mb"));

    // Colours of their own: the reset, then the capability for each.
    Frames own(entry({{"cup", ansi_cup},
                      {"sgr0", "\x1b[m"},
                      {"setf", "\x1b|%p1%dF"},
                      {"setb", "\x1b|%p1%dB"},
                      {"op", "\x1b|o"},
                      {"bold", "\x1b[1m"}},
                     8),
               3, 1);
    own.set(0, 0, 'r', TB_RED);
    own.set(1, 0, 'b', TB_BLUE | TB_BOLD);
    own.set(2, 0, 'd');
    EXPECT_EQ(own.present(), update("\x1b[m\x1b|4Fr\x1b[m\x1b[1m\x1b|1Fb\x1b[md"));
}

TerminfoEntry installed(const char* term) {
    TerminfoEntry e;
    EXPECT_EQ(term_internal::read_terminfo(term, e), TB_OK) << term;
    return e;
}

// Descriptions of ncurses-term whose colours are not ECMA-48's, as `infocmp -1` prints them:
//
//   wy370       colors#64  setf=\E[61;%p1%dw  setb=\E[62;%p1%dw  sgr0=\E[m\017
//               (no setaf, no setab)
//   d430c-unix  colors#16  sgr0=\036PJ\025\035\036E\036FS00
//               setaf=\036A%p1%?%p1%{8}%<%t%{2}%&%?%p1%{1}%&%t%{4}%|%;%?%p1%{4}%&%t%{1}%|%;%;%'0'%+%c
//   linux-m1b   colors@  bold=\E[33m  blink=\E[5m  sgr0=\E[m
TEST(FrameEncoder, Wy370SetsRedWithSetf4) {
    Frames frames(installed("wy370"), 4, 1);
    frames.set(0, 0, 'r', TB_RED);
    frames.set(1, 0, 'g', TB_GREEN);
    frames.set(2, 0, 'p');
    const std::string bytes = frames.present();
    EXPECT_EQ(bytes, update("\x1b[m\x0f\x1b[61;4wr\x1b[m\x0f\x1b[61;2wg\x1b[m\x0fp"));
    EXPECT_EQ(bytes.find("\x1b[31m"), std::string::npos);
}

TEST(FrameEncoder, D430cUnixSetsGreenWithSetaf2) {
    Frames frames(installed("d430c-unix"), 3, 1);
    frames.set(0, 0, 'g', TB_GREEN);
    frames.set(1, 0, 'x');
    const std::string bytes = frames.present();
    // setaf 2: 2 & 2 is 2, neither 1 nor 4 set, plus '0': "\036A2".
    EXPECT_EQ(bytes,
              "\036PJ\025\035\036E\036FS00\036A2g"
              "\036PJ\025\035\036E\036FS00x");
    EXPECT_EQ(bytes.find("\x1b[32m"), std::string::npos);
}

TEST(FrameEncoder, EndsAnAttributeThatIsNoPlainSgrWithTheReset) {
    // SGR 22 would leave linux-m1b's "bold" (a colour) in force.
    Frames frames(installed("linux-m1b"), 3, 1);
    frames.set(0, 0, 'a', TB_BOLD | TB_BLINK);
    frames.set(1, 0, 'b', TB_BLINK);
    EXPECT_EQ(frames.present(), update("\x1b[m\x1b[33m\x1b[5ma\x1b[m\x1b[5mb"));
}

TEST(ScreenClear, ClearsWithEdFromTheTopLeftOrWithBlanks) {
    TerminalDescription d;
    ASSERT_EQ(term_internal::describe_terminal(
                  entry({{"cup", ansi_cup}, {"clear", "\x1b[H\x1b[2J"}, {"ed", "\x1b[J"}}), d),
              TB_OK);
    EXPECT_EQ(term_internal::clear_bytes(d), "\x1b[H\x1b[2J");
    ASSERT_EQ(term_internal::describe_terminal(entry({{"cup", ansi_cup}, {"ed", "\x1b[J"}}), d),
              TB_OK);
    EXPECT_EQ(term_internal::clear_bytes(d), "\x1b[1;1H\x1b[J");

    // ansi+cup: cup and home alone (infocmp -1 ansi+cup). No auto-margins, so the bottom
    // right cell is written as it is; no line feed, so each row starts with an address.
    Frames frames(entry({{"cup", ansi_cup}, {"home", "\x1b[H"}}), 3, 2);
    EXPECT_EQ(term_internal::clear_bytes(frames.description()), "");
    EXPECT_EQ(term_internal::blank_screen(frames.encoder(), frames.description(), 3, 2),
              update("\x1b[H   \x1b[2;1H   ") + "\x1b[H");
}

}  // namespace
