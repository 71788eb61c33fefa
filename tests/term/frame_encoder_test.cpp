// The renderer's exact bytes for a known front and back, on terminal descriptions of this
// machine's terminfo database. Every expected byte comes from the capability strings as
// `infocmp -1 NAME` prints them:
//
//   xterm-256color  am xenl colors#256  cup=\E[%i%p1%d;%p2%dH  cuf=\E[%p1%dC  cud1=^J
//                   cr=^M  hpa=\E[%i%p1%dG  home=\E[H  sgr0=\E(B\E[m  bold=\E[1m  dim=\E[2m
//                   rev=\E[7m  smul=\E[4m
//   vt100           am xenl (no colours, no dim)  bold=\E[1m$<2>  sgr0=\E[m\017$<2>
//                   cup=\E[%i%p1%d;%p2%dH$<5>  (padding is never sent)
//   linux           am xenl colors#8  sgr0=\E[m\017
//   ansi            am (no xenl, no rmam)  ich=\E[%p1%d@  cud1=\E[B  cub1=\E[D  cr=^M
//                   sgr0=\E[0;10m
//   vt52            (no am)  cup=\EY%p1%' '%+%c%p2%' '%+%c  cud1=\EB

#include "term/frame_encoder.h"

#include <gtest/gtest.h>

#include <string>

#include "term/cell_buffers.h"
#include "term/termbox2.h"

namespace {

using term_internal::Cell;
using term_internal::CursorModel;

// A frame's bytes on a terminal with ECMA-48 control sequences: one synchronized update.
std::string update(const std::string& cells) {
    return "\x1b[?2026h" + cells + "\x1b[?2026l";
}

class Screen {
  public:
    // A w x h screen on the description `term` as tb_init leaves it: blank, the cursor
    // home, the default style in force.
    Screen(const char* term, int w, int h) {
        rc_ = term_internal::describe_terminal(term, description_);
        encoder_ = term_internal::FrameEncoder(description_);
        term_internal::resize_cell_buffers(buffers_, w, h);
        for (auto* cells : {&buffers_.back, &buffers_.front})
            std::fill(cells->begin(), cells->end(), Cell{' ', TB_DEFAULT, TB_DEFAULT});
        model_.cursor = {CursorModel::Kind::known, 0, 0};
        model_.style_known = true;
    }

    [[nodiscard]] int description_rc() const { return rc_; }

    void set(int x, int y, std::uint32_t ch, uintattr_t fg = TB_DEFAULT,
             uintattr_t bg = TB_DEFAULT) {
        buffers_.back[buffers_.index(x, y)] = Cell{ch, fg, bg};
    }

    void set_row(int y, const std::string& text) {
        for (std::size_t x = 0; x < text.size(); ++x)
            set(static_cast<int>(x), y, static_cast<unsigned char>(text[x]));
    }

    // A new size, blank and the cursor home, as after a resize that was redrawn.
    void resize(int w, int h) {
        term_internal::resize_cell_buffers(buffers_, w, h);
        for (auto* cells : {&buffers_.back, &buffers_.front})
            std::fill(cells->begin(), cells->end(), Cell{' ', TB_DEFAULT, TB_DEFAULT});
        model_.cursor = {CursorModel::Kind::known, 0, 0};
    }

    // Makes the screen show the back buffer without encoding, as if presented.
    void settle() { buffers_.front = buffers_.back; }

    // What a resize leaves: every front cell unknown, cursor and style unknown.
    void forget() {
        term_internal::forget_front(buffers_);
        model_ = term_internal::ScreenModel{};
    }

    std::string present() {
        out_.size = 0;
        EXPECT_EQ(encoder_.encode(buffers_, model_, out_), TB_OK);
        EXPECT_EQ(buffers_.front, buffers_.back);
        return {out_.data.get(), out_.size};
    }

    [[nodiscard]] const term_internal::ScreenModel& model() const { return model_; }

  private:
    int rc_ = TB_ERR;
    term_internal::TerminalDescription description_;
    term_internal::FrameEncoder encoder_;
    term_internal::CellBuffers buffers_;
    term_internal::ScreenModel model_;
    term_internal::OutputBuffer out_;
};

TEST(FrameEncoder, WritesNothingWhenNothingChanged) {
    Screen screen("xterm-256color", 10, 4);
    ASSERT_EQ(screen.description_rc(), TB_OK);
    EXPECT_EQ(screen.present(), "");
}

TEST(FrameEncoder, ReachesAChangedCellByTheCheapestMove) {
    Screen screen("xterm-256color", 10, 4);
    // From (0, 0): two line feeds and three blanks written again (5 bytes) beat
    // "\E[3;4H" (6) and "\n\n\E[3C" (6).
    screen.set(3, 2, 'Z');
    EXPECT_EQ(screen.present(), update("\n\n   Z"));
    // From (4, 2) back up to row 0: only the absolute address goes up.
    screen.set(6, 0, 'Y');
    EXPECT_EQ(screen.present(), update("\x1b[1;7HY"));
    // On the same row, far to the left: carriage return and the cells again ("\r" and one
    // blank) beat "\E[1G", "\E[6D" and six ^H.
    screen.set(7, 0, 'A');
    screen.set(1, 1, 'B');
    EXPECT_EQ(screen.present(), update("A\n\r B"));
}

TEST(FrameEncoder, RewritesAShortGapAndJumpsALongOne) {
    Screen screen("xterm-256color", 10, 2);
    screen.set_row(0, "abcdefghij");
    screen.settle();
    screen.set(2, 0, 'X');
    screen.set(5, 0, 'Y');
    EXPECT_EQ(screen.present(), update("abXdeY"));
    screen.set(0, 1, 'P');
    screen.set(9, 1, 'Q');
    // Eight blanks again (8 bytes) lose to "\E[8C" (4) and "\E[10G" (5).
    EXPECT_EQ(screen.present(), update("\n\rP\x1b[8CQ"));
}

TEST(FrameEncoder, WeighsMovesAtTheSizeOfEachFrame) {
    Screen screen("xterm-256color", 4, 2);
    screen.set(3, 1, 'a');
    EXPECT_EQ(screen.present(), update("\n   a"));
    screen.resize(120, 3);
    // A line feed and "\E[111G" (7 bytes) beat "\E[2;111H" (8); "\E[110C" ties with the
    // column address, which comes first.
    screen.set(110, 1, 'Z');
    EXPECT_EQ(screen.present(), update("\n\x1b[111GZ"));
}

TEST(FrameEncoder, SwitchesStyleOnlyWhereItShows) {
    Screen screen("xterm-256color", 8, 1);
    screen.set(0, 0, 'r', TB_RED);
    screen.set(2, 0, 'r', TB_RED);  // the blank between keeps red: it shows no foreground
    screen.set(3, 0, 'g', TB_GREEN | TB_BOLD);
    screen.set(4, 0, 'p');
    screen.set(5, 0, ' ', TB_DEFAULT, TB_REVERSE);  // a reversed blank shows
    screen.set(6, 0, 'b', TB_BLUE | TB_BRIGHT, TB_YELLOW);
    screen.set(7, 0, 'd', TB_DIM);
    EXPECT_EQ(screen.present(),
              update("\x1b[31mr r"     // changes alone: 31 (5 bytes) beats 0;31 (7)
                     "\x1b[1;32mg"     // bold added, colour changed
                     "\x1b[mp"         // a reset (3 bytes) beats 22;39 (8)
                     "\x1b[7m "        // reverse video for the blank
                     "\x1b[0;94;43mb"  // bright blue is 94; 0;94;43 (10 bytes) beats 27;94;43
                     "\x1b[0;2md"));   // 0;2 (6 bytes) beats 2;39;49 (10)
    screen.set(0, 0, 'x', TB_RED);
    // Back from beyond the last column by a carriage return; the style in force is
    // remembered from the last present.
    EXPECT_EQ(screen.present(), update("\r\x1b[0;31mx"));
}

TEST(FrameEncoder, WritesTheBottomRightCellAsItIsWithDeferredWrap) {
    Screen screen("xterm-256color", 3, 2);
    screen.set(2, 1, '#');
    EXPECT_EQ(screen.present(), update("\n  #"));
    // The cursor waits beyond the last column: only an absolute move is safe from there.
    EXPECT_EQ(screen.model().cursor.kind, CursorModel::Kind::wrap_pending);
    screen.set(0, 0, '@');
    EXPECT_EQ(screen.present(), update("\x1b[H@"));
}

TEST(FrameEncoder, RunsOnIntoTheNextRowAfterTheLastColumn) {
    Screen screen("xterm-256color", 3, 3);
    screen.set_row(0, "abc");
    screen.set_row(1, "def");
    screen.set(1, 2, 'g');
    // After "c" the next character goes to the start of the next row by itself; the blank
    // before 'g' is written again rather than moved over.
    EXPECT_EQ(screen.present(), update("abcdef g"));
}

TEST(FrameEncoder, DrawsAOneCellScreenEveryFrame) {
    Screen screen("xterm-256color", 1, 1);
    screen.set(0, 0, '5');
    EXPECT_EQ(screen.present(), update("5"));
    screen.set(0, 0, '7');
    // Back to the first column of the same row: a carriage return, never a line feed.
    EXPECT_EQ(screen.present(), update("\r7"));
}

TEST(FrameEncoder, RedrawsEveryCellAfterAResize) {
    Screen screen("xterm-256color", 2, 2);
    screen.set_row(0, "ab");
    screen.set_row(1, "cd");
    screen.settle();
    screen.forget();
    EXPECT_EQ(screen.present(), update("\x1b[H\x1b(B\x1b[mabcd"));
}

TEST(FrameEncoder, WritesCharactersAsUtf8AndReplacesWhatIsNotOneColumn) {
    Screen screen("xterm-256color", 5, 1);
    screen.set(0, 0, 0xFF8A);
    screen.set(1, 0, 0x250C);
    screen.set(2, 0, 0x1B);
    screen.set(3, 0, 0x4E00);
    screen.set(4, 0, 0);
    EXPECT_EQ(screen.present(), update("\xef\xbe\x8a\xe2\x94\x8c\xef\xbf\xbd\xef\xbf\xbd "));
}

TEST(FrameEncoder, Vt100ShowsBrightAsBoldAndSendsNoPadding) {
    Screen screen("vt100", 4, 2);
    ASSERT_EQ(screen.description_rc(), TB_OK);
    screen.set(0, 0, 'g', TB_GREEN | TB_BRIGHT);
    screen.set(1, 0, 'd', TB_DIM);  // no dim on a vt100: plain
    screen.set(3, 1, '#');
    EXPECT_EQ(screen.present(), update("\x1b[1mg\x1b[md\n #"));
    screen.forget();
    screen.set(0, 0, 'h');
    EXPECT_EQ(screen.present(), update("\x1b[H\x1b[m\x0fhd  "
                                       "   #"));
}

TEST(FrameEncoder, LinuxShowsBrightAsBoldWithEightColours) {
    Screen screen("linux", 4, 1);
    ASSERT_EQ(screen.description_rc(), TB_OK);
    screen.set(0, 0, 'g', TB_GREEN | TB_BRIGHT);
    screen.set(1, 0, 'r', TB_RED);
    EXPECT_EQ(screen.present(), update("\x1b[1;32mg\x1b[0;31mr"));
}

TEST(FrameEncoder, PushesTheBottomRightCellIntoPlaceWithoutDeferredWrap) {
    Screen screen("ansi", 3, 2);
    ASSERT_EQ(screen.description_rc(), TB_OK);
    screen.set(2, 1, '#');
    // '#' written one column to the left, back there, one character inserted before it,
    // and that cell's own blank written again.
    EXPECT_EQ(screen.present(), update("\x1b[B #\r \x1b[1@ "));
}

TEST(FrameEncoder, LeavesTheBottomRightCellWhenThereIsNoSafeWay) {
    Screen screen("ansi", 1, 2);
    screen.set(0, 0, 'a');
    screen.set(0, 1, 'b');
    // One column: no room to insert from. Writing 'b' would scroll the screen.
    EXPECT_EQ(screen.present(), update("a"));
}

TEST(FrameEncoder, UsesTiparmForAnAddressThatIsNotDecimal) {
    Screen screen("vt52", 4, 3);
    ASSERT_EQ(screen.description_rc(), TB_OK);
    screen.set(3, 2, 'z');
    // The address (4 bytes) ties with two "\EB" and wins; vt52 has no auto-margins, so
    // the last cell is written as it is.
    EXPECT_EQ(screen.present(), "\x1bY\"#z");
    term_internal::TerminalDescription vt52;
    ASSERT_EQ(term_internal::describe_terminal("vt52", vt52), TB_OK);
    char out[8];
    EXPECT_EQ(std::string(out, vt52.move.write(out, 2, 3)), "\x1bY\"#");
    EXPECT_EQ(vt52.move.length(2, 3), 4u);
}

TEST(TerminalDescription, RefusesUnknownTerminalsAndThoseWithoutCursorAddressing) {
    term_internal::TerminalDescription description;
    for (const char* term : {"", "no-such-terminal-type", "dumb"}) {
        EXPECT_EQ(term_internal::describe_terminal(term, description), TB_ERR_NO_TERM) << term;
    }
    EXPECT_EQ(term_internal::describe_terminal(nullptr, description), TB_ERR_NO_TERM);
}

TEST(TerminalDescription, TakesPaddingOut) {
    EXPECT_EQ(term_internal::without_padding("\x1b[H\x1b[J$<50>"), "\x1b[H\x1b[J");
    EXPECT_EQ(term_internal::without_padding("a$<2*/>b$<5>"), "ab");
    EXPECT_EQ(term_internal::without_padding("cost $5"), "cost $5");
}

}  // namespace
