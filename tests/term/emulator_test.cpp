// What an independent terminal emulator makes of the layer's output. The layer runs in a
// child process on a pseudo-terminal of its own and draws frames of random cells at random
// sizes; the parent feeds everything the terminal receives to libvterm (the emulator of
// Neovim and Emacs' vterm) and, after every frame, compares the emulator's screen with the
// cells the child drew, which the parent draws in step from the same seed: character,
// colours, bold, underline, italic, blink and reverse video, cell for cell. The screen must
// never scroll. GORV_EMULATOR_FRAMES sets the number of frames of each run (for a longer
// run than the default).

#include "term/emulator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "term/cell_buffers.h"
#include "term/pty_child.h"
#include "term/termbox2.h"
#include "term/terminal_description.h"
#include "term/xterm_replay.h"

namespace {

using gorv::testing::Child;
using gorv::testing::Emulator;
using gorv::testing::Look;
using gorv::testing::XtermReplay;
using term_internal::Cell;

// SplitMix64: the same numbers in the parent and in the child.
class Numbers {
  public:
    explicit Numbers(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = state_ += 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

  private:
    std::uint64_t state_;
};

// Characters of every kind the layer meets: the program's digits, letters and glyphs, box
// drawing, blanks, and characters that do not fill one column (an escape, a wide and a
// combining character), which the layer must show as U+FFFD.
constexpr std::uint32_t characters[] = {
    '0',    '1',    '7',    'A',    'F',    '#', '~', '"', 0xA6, 0xFF8A, 0xFF71,
    0xFF9D, 0xFF62, 0x2502, 0x250C, 0x2500, ' ', ' ', 0,   0x1B, 0x4E00, 0x0301};

constexpr uintattr_t attribute_bits[] = {TB_BOLD,  TB_DIM,    TB_UNDERLINE, TB_ITALIC,
                                         TB_BLINK, TB_BRIGHT, TB_REVERSE};

// The cells a child draws: mutated frame by frame, the same in parent and child.
class Scene {
  public:
    Scene(std::uint64_t seed, int w, int h) : numbers_(seed) { resize(w, h); }

    int width() const { return width_; }
    int height() const { return height_; }
    const Cell& at(int x, int y) const {
        return cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                      static_cast<std::size_t>(x)];
    }

    // A new size: random cells on every cell, as after a resize every cell is drawn.
    void resize(int w, int h) {
        width_ = w;
        height_ = h;
        cells_.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), Cell{});
        for (Cell& cell : cells_)
            cell = random_cell();
    }

    // The next frame: a few cells, half of them, every cell, or columns moved down a row,
    // as the program's styles change them. At least one cell changes.
    void step(bool every_cell = false) {
        const int kind = every_cell ? 2 : numbers_.below(4);
        if (kind == 3) {
            for (int x = 0; x < width_; ++x) {
                for (int y = height_ - 1; y > 0; --y)
                    cell(x, y) = cell(x, y - 1);
                cell(x, 0) = numbers_.below(3) == 0 ? random_cell() : Cell{' ', 0, 0};
            }
        } else {
            const int chance = kind == 0 ? 50 : kind == 1 ? 2 : 1;
            for (Cell& c : cells_) {
                if (numbers_.below(chance) == 0) c = random_cell();
            }
        }
        Cell& forced = cells_[static_cast<std::size_t>(numbers_.below(width_ * height_))];
        forced.ch = forced.ch == U'x' ? U'y' : U'x';
    }

    void draw() const {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const Cell& c = at(x, y);
                tb_set_cell(x, y, c.ch, c.fg, c.bg);
            }
        }
    }

  private:
    Cell& cell(int x, int y) {
        return cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                      static_cast<std::size_t>(x)];
    }

    Cell random_cell() {
        Cell c;
        c.ch = characters[numbers_.below(std::size(characters))];
        c.fg = static_cast<uintattr_t>(numbers_.below(9));
        c.bg = numbers_.below(4) == 0 ? static_cast<uintattr_t>(numbers_.below(9)) : 0;
        for (const uintattr_t bit : attribute_bits) {
            if (numbers_.below(5) == 0) c.fg |= bit;
        }
        if (numbers_.below(10) == 0) c.bg |= TB_REVERSE;
        return c;
    }

    Numbers numbers_;
    int width_ = 0;
    int height_ = 0;
    std::vector<Cell> cells_;
};

// The look the contract gives a cell on the terminal `d`: colour c from 1 to 8 is ANSI
// colour c - 1, bright adds 8 with 16 colours or more and is bold with fewer, attributes the
// description lacks do not show, and a character that is not one column wide is U+FFFD.
Look expected_look(const Cell& cell, const term_internal::TerminalDescription& d) {
    Look look;
    const bool one_column = cell.ch == ' ' || cell.ch == 0 || (cell.ch >= '!' && cell.ch <= '~') ||
                            cell.ch == 0xA6 || (cell.ch >= 0xFF61 && cell.ch <= 0xFF9F) ||
                            (cell.ch >= 0x2500 && cell.ch <= 0x257F);
    look.ch = cell.ch == 0 ? ' ' : one_column ? cell.ch : 0xFFFD;
    bool bright_as_bold = false;
    auto colour = [&](uintattr_t word) {
        const int c = word & 0xFF;
        if (c < 1 || c > 8) return -1;
        const bool bright = (word & TB_BRIGHT) != 0;
        if (bright && d.colours < 16) bright_as_bold = true;
        if (d.colours < 8) return -1;
        return c - 1 + (bright && d.colours >= 16 ? 8 : 0);
    };
    look.fg = colour(cell.fg);
    look.bg = colour(cell.bg);
    look.bold = !d.bold.empty() && ((cell.fg & TB_BOLD) != 0 || bright_as_bold);
    look.dim = !d.dim.empty() && (cell.fg & TB_DIM) != 0;
    look.underline = !d.underline.empty() && (cell.fg & TB_UNDERLINE) != 0;
    look.italic = !d.italic.empty() && (cell.fg & TB_ITALIC) != 0;
    look.blink = !d.blink.empty() && (cell.fg & TB_BLINK) != 0;
    look.reverse = !d.reverse.empty() && ((cell.fg | cell.bg) & TB_REVERSE) != 0;
    return look;
}

// The child: draws on command. 'n' the next frame, 'e' the next frame with every cell
// changed, 'p' presents again, 'q' ends; a resize gives the scene the new size. Each
// present is reported.
int draw_on_command(Child& self, std::uint64_t seed) {
    if (tb_init() != TB_OK) return 1;
    Scene scene(seed, tb_width(), tb_height());
    self.report("ready " + std::to_string(tb_width()) + "x" + std::to_string(tb_height()));
    for (;;) {
        tb_event ev;
        if (tb_peek_event(&ev, 20000) != TB_OK) return 2;
        if (ev.type == TB_EVENT_RESIZE) {
            scene.resize(ev.w, ev.h);
            continue;
        }
        if (ev.type != TB_EVENT_KEY) continue;
        if (ev.ch == 'q') break;
        if (ev.ch == 'n' || ev.ch == 'e') scene.step(ev.ch == 'e');
        scene.draw();
        self.report("presented " + std::to_string(tb_present()));
    }
    tb_shutdown();
    return 0;
}

// The parent's side of a session: the child, the emulator, and the scene drawn in step.
class Session {
  public:
    Session(const char* term, std::uint64_t seed) : term_(term), seed_(seed), scene_(seed, 30, 8) {}

    void start() {
        ASSERT_EQ(term_internal::describe_terminal(term_, description_), TB_OK);
        const std::uint64_t seed = seed_;
        ASSERT_TRUE(
            child_.start(true, term_, [seed](Child& self) { return draw_on_command(self, seed); }));
        ASSERT_EQ(child_.next_report(), "ready 30x8");
        feed(child_.terminal_output());
    }

    // Bytes the terminal received, for both emulators.
    void feed(const std::string& bytes) {
        emulator_.feed(bytes);
        xterm_.feed(bytes);
    }

    // A new size for the terminal; the same size again changes nothing (and no resize
    // reaches the child).
    void resize(int w, int h) {
        if (w == scene_.width() && h == scene_.height()) return;
        feed(child_.terminal_output());
        child_.resize(w, h);
        emulator_.resize(w, h);
        xterm_.resize(w, h);
        scene_.resize(w, h);
    }

    // Sends a command; then reads until the child has presented.
    void command(char what) {
        if (what == 'n' || what == 'e') scene_.step(what == 'e');
        child_.type(std::string(1, what));
        ASSERT_EQ(child_.next_report(), "presented 0");
    }

    // Reads what the terminal receives until `frames` frames have ended, within 10 s.
    void read_until_ended(int frames) {
        for (int waits = 0; emulator_.ended() < frames && waits < 500; ++waits)
            feed(child_.wait_output(20));
        ASSERT_EQ(emulator_.ended(), frames) << "frames ended";
    }

    // The emulator's screen against the scene; xterm.js's is compared at the end.
    void expect_screen(const std::string& context) {
        Screen wanted;
        for (int y = 0; y < scene_.height(); ++y) {
            std::vector<Look>& row = wanted.emplace_back();
            for (int x = 0; x < scene_.width(); ++x)
                row.push_back(expected_look(scene_.at(x, y), description_));
        }
        Screen shown = wanted;
        for (int y = 0; y < scene_.height(); ++y) {
            for (int x = 0; x < scene_.width(); ++x)
                shown[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
                    emulator_.look(x, y);
        }
        compare("libvterm", context, wanted, shown, false);
        EXPECT_EQ(emulator_.scrolled(), 0) << term_ << " " << context << ": the screen scrolled";
        xterm_.snapshot();
        snapshots_.push_back({context, std::move(wanted)});
    }

    // Ends the child, then replays the session into xterm.js and compares its screen at
    // every snapshot.
    void end() {
        child_.type("q");
        EXPECT_EQ(child_.finish(), 0);
        if (!XtermReplay::available()) {
            std::printf("xterm.js not installed: %s compared with libvterm only\n", term_);
            return;
        }
        const std::vector<Screen> screens = xterm_.replay();
        ASSERT_EQ(screens.size(), snapshots_.size()) << "xterm.js replay";
        for (std::size_t i = 0; i < screens.size(); ++i)
            compare("xterm.js", snapshots_[i].context, snapshots_[i].wanted, screens[i], true);
    }

    Child& child() { return child_; }
    Emulator& emulator() { return emulator_; }

  private:
    using Screen = XtermReplay::Screen;

    struct Snapshot {
        std::string context;
        Screen wanted;
    };

    void compare(const char* emulator, const std::string& context, const Screen& wanted,
                 const Screen& shown, bool dim_shown) {
        int wrong = 0;
        std::string first;
        for (std::size_t y = 0; y < wanted.size(); ++y) {
            for (std::size_t x = 0; x < wanted[y].size(); ++x) {
                const Look got = y < shown.size() && x < shown[y].size() ? shown[y][x] : Look{0};
                if (gorv::testing::shows_same(wanted[y][x], got, dim_shown)) continue;
                if (wrong++ == 0) {
                    first = std::to_string(x) + ", " + std::to_string(y) + " shows " +
                            gorv::testing::describe(got) + " instead of " +
                            gorv::testing::describe(wanted[y][x]);
                }
            }
        }
        EXPECT_EQ(wrong, 0) << emulator << " on " << term_ << " " << context << " at "
                            << (wanted.empty() ? 0 : wanted[0].size()) << "x" << wanted.size()
                            << ": " << wrong << " cells wrong, first " << first;
    }

    const char* term_;
    std::uint64_t seed_;
    term_internal::TerminalDescription description_;
    Child child_;
    Emulator emulator_{30, 8};
    XtermReplay xterm_{30, 8};
    std::vector<Snapshot> snapshots_;
    Scene scene_;
};

int frames_per_run() {
    const char* asked = std::getenv("GORV_EMULATOR_FRAMES");
    return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 30;
}

class EmulatedTerminal : public testing::TestWithParam<const char*> {};

// Random frames at random sizes from 1 x 1 to 300 x 100, resized now and then, and one run
// of frames of every cell at 200 x 60, the size at which frames outgrow the kernel's buffer.
TEST_P(EmulatedTerminal, ShowsEveryFrameAsDrawn) {
    const std::uint64_t seed = 0x5EED0000u + std::hash<std::string>{}(GetParam()) % 1000;
    Session run(GetParam(), seed);
    ASSERT_NO_FATAL_FAILURE(run.start());
    Numbers sizes(seed ^ 0xA5A5u);
    const int frames = frames_per_run();
    int ended = 0;
    for (int k = 0; k < frames && !testing::Test::HasFailure(); ++k) {
        if (k == frames / 2) {
            run.resize(200, 60);
        } else if (k == 0 || (k < frames / 2 && sizes.below(5) == 0)) {
            run.resize(1 + sizes.below(300), 1 + sizes.below(100));
        }
        run.command(k >= frames / 2 && k < frames / 2 + 5 ? 'e' : 'n');
        run.read_until_ended(++ended);
        run.expect_screen("frame " + std::to_string(k));
    }
    run.end();
}

INSTANTIATE_TEST_SUITE_P(Terminals, EmulatedTerminal,
                         testing::Values("xterm-256color", "xterm", "vt100", "linux",
                                         "screen-256color", "tmux-256color"),
                         [](const testing::TestParamInfo<const char*>& param_info) {
                             std::string name = param_info.param;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

// A resize that grows the screen while a frame is only partly out: what the kernel held goes
// on, the rest of the old frame is left out behind CAN and the end of its update, and the
// next frame shows every cell at the new size.
TEST(EmulatedTerminal, AResizeWhileAFrameIsPartlyOutLeavesAWellFormedStream) {
    Session run("xterm-256color", 77);
    ASSERT_NO_FATAL_FAILURE(run.start());
    run.resize(160, 48);
    run.command('n');
    run.read_until_ended(1);
    run.expect_screen("before");

    // The terminal takes a few KB of a frame of every cell, then nothing.
    run.child().stall_terminal(true);
    run.command('e');
    std::size_t taken = 0;
    for (int i = 0; i < 20 && taken < 3000; ++i)
        taken += run.child().read_slowly(3000 - taken);
    run.resize(200, 60);
    run.command('p');
    // The terminal reads again; presents follow one another as the frame loop makes them.
    run.child().stall_terminal(false);
    for (int presents = 0; presents < 20 && run.emulator().ended() < 3; ++presents) {
        run.command('p');
        run.feed(run.child().wait_output(20));
    }
    run.read_until_ended(3);
    EXPECT_EQ(run.emulator().cancels(), 1) << "the frame cut short was ended with CAN";
    EXPECT_EQ(run.emulator().begun(), 3);
    run.expect_screen("after");
    run.end();
}

}  // namespace
