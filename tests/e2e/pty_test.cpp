// The built program on a pseudo-terminal of its own, read by this test as a terminal would:
// whole frames that outgrow the kernel's buffer, a terminal as slow as a 9600-baud line,
// and a screen of 3000 x 1000 cells within 200 MiB of address space.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "term/emulator.h"
#include "term/pty_child.h"

namespace {

using gorv::testing::Child;
using gorv::testing::Emulator;
using Clock = std::chrono::steady_clock;

// Runs the program with `arguments` in the child; returns only when exec fails.
int run_program(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    std::string program = GORV_PROGRAM;
    argv.push_back(program.data());
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(GORV_PROGRAM, argv.data());
    return 127;
}

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The modes of a pseudo-terminal as it is made, before any program changes them.
termios fresh_modes() {
    Child probe;
    termios modes{};
    if (probe.start(true, "xterm-256color", [](Child&) { return 0; })) {
        modes = probe.modes();
        (void)probe.finish();
    }
    return modes;
}

struct FramesCase {
    const char* name;
    std::vector<std::string> arguments;
    std::set<std::uint32_t> symbols;  // what every cell may show
    std::set<int> colours;            // the foreground colours a symbol may have
};

void PrintTo(const FramesCase& run, std::ostream* out) {
    *out << run.name;
}

std::set<std::uint32_t> textual_glyphs() {
    std::set<std::uint32_t> glyphs;
    for (std::uint32_t c : {0x23u, 0x7Eu, 0x7Cu, 0xA6u, 0x3Au, 0x2Eu, 0x22u, 0x3Du, 0x2Bu,
                            0x2Du, 0x5Fu, 0x3Cu, 0x3Eu, 0x2Au, 0x30u, 0x31u, 0x32u, 0x34u,
                            0x35u, 0x36u, 0x37u, 0x38u, 0x39u, 0x54u, 0x4Du, 0x56u, 0x4Eu})
        glyphs.insert(c);
    for (std::uint32_t c = 0xFF62; c <= 0xFF63; ++c)
        glyphs.insert(c);
    for (std::uint32_t c = 0xFF66; c <= 0xFF9D; ++c)
        glyphs.insert(c);
    return glyphs;
}

class WholeFrames : public testing::TestWithParam<FramesCase> {};

// At 200 x 60 the frames of these runs are several times what the kernel holds for a
// terminal at once. Each frame's bytes arrive as one burst, between the begin and the end of
// its synchronized update, before the frame delay (238 ms at the slow speed) begins: no
// pause inside a frame comes near that delay. After each frame every cell shows a symbol
// of the run, and the screen never scrolls.
TEST_P(WholeFrames, ReachTheTerminalBeforeTheFrameDelay) {
    const FramesCase& run = GetParam();
    Child child;
    std::vector<std::string> arguments = {"--bare", "--speed", "slow"};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
    ASSERT_TRUE(child.start(
        true, "xterm-256color", [&](Child&) { return run_program(arguments); }, 200, 60));
    Emulator screen(200, 60);
    long long longest_pause = 0;
    int frames_checked = 0;
    std::size_t largest_frame = 0;
    std::size_t frame_bytes = 0;
    auto last = Clock::now();
    const auto start = Clock::now();
    while (ms_since(start) < 4000 && frames_checked < 8) {
        const std::string bytes = child.wait_output(50);
        if (bytes.empty()) continue;
        const bool inside = screen.begun() > screen.ended();
        if (inside) longest_pause = std::max(longest_pause, ms_since(last));
        last = Clock::now();
        const int ended = screen.ended();
        screen.feed(bytes);
        frame_bytes += bytes.size();
        if (screen.ended() == ended || screen.begun() > screen.ended()) continue;
        largest_frame = std::max(largest_frame, frame_bytes);
        frame_bytes = 0;
        int wrong = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 200; ++x) {
                const gorv::testing::Look look = screen.look(x, y);
                if (!run.symbols.contains(look.ch) || !run.colours.contains(look.fg) ||
                    look.bg != -1 || look.reverse) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << run.name << ": frame " << screen.ended();
        ++frames_checked;
    }
    child.type("q");
    EXPECT_EQ(child.finish(), 0);
    EXPECT_GE(frames_checked, 5) << run.name;
    EXPECT_GT(largest_frame, 20000u) << run.name << ": frames larger than the kernel holds";
    EXPECT_LT(longest_pause, 119) << run.name << ": a frame paused for " << longest_pause << " ms";
    EXPECT_EQ(screen.scrolled(), 0) << run.name;
}

INSTANTIATE_TEST_SUITE_P(
    Program, WholeFrames,
    testing::Values(FramesCase{"green_accents", {"-c", "green", "-a"}, {'0', '1'}, {2, 10}},
                    FramesCase{"textual_accents", {"-m", "textual", "-a"}, textual_glyphs(), {-1}}),
    [](const testing::TestParamInfo<FramesCase>& param_info) { return param_info.param.name; });

// A terminal that takes 960 bytes a second, as a 9600-baud line does: frames are skipped,
// a key still ends the run within 1.5 s, and the terminal is given back (its modes at once,
// the end bytes as the line takes them).
TEST(SlowTerminal, AKeyEndsTheRunAndTheTerminalIsGivenBack) {
    const termios found = fresh_modes();
    Child child;
    ASSERT_TRUE(child.start(
        true, "xterm-256color", [](Child&) { return run_program({"--bare"}); }, 80, 24));
    child.stall_terminal(true);
    for (int i = 0; i < 20; ++i) {
        (void)child.read_slowly(96);
        usleep(100000);
    }
    child.type("q");
    const auto typed = Clock::now();
    while (!child.ended() && ms_since(typed) < 5000) {
        (void)child.read_slowly(96);
        usleep(100000);
    }
    const long long took = ms_since(typed);
    EXPECT_LT(took, 1500) << "the key ended the run after " << took << " ms";
    const termios after = child.modes();
    EXPECT_EQ(after.c_lflag, found.c_lflag);
    EXPECT_EQ(after.c_iflag, found.c_iflag);
    EXPECT_EQ(after.c_oflag, found.c_oflag);
    child.stall_terminal(false);
    EXPECT_EQ(child.finish(), 0);
    const std::string rest = child.terminal_output();
    EXPECT_NE(rest.find("\x1b[?1049l"), std::string::npos) << "the end bytes arrive";
}

// A screen of 3000 x 1000 cells draws frames with 200 MiB of address space: the output
// buffer grows to what the frames need, not to what the largest conceivable frame would.
TEST(LargeScreen, DrawsFramesWithin200MiBOfAddressSpace) {
#ifdef GORV_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory needs far more address space";
#endif
    Child child;
    ASSERT_TRUE(child.start(
        true, "xterm-256color",
        [](Child&) {
            const rlimit limit{200ull << 20, 200ull << 20};
            if (setrlimit(RLIMIT_AS, &limit) != 0) return 126;
            return run_program({"--bare"});
        },
        3000, 1000));
    const std::string end = "\x1b[?2026l";
    std::string tail;
    int frames = 0;
    const auto start = Clock::now();
    while (frames < 3 && ms_since(start) < 30000 && !child.ended()) {
        const std::string bytes = tail + child.wait_output(100);
        for (std::size_t at = bytes.find(end); at != std::string::npos;
             at = bytes.find(end, at + 1))
            ++frames;
        tail = bytes.substr(bytes.size() - std::min(bytes.size(), end.size() - 1));
    }
    child.type("q");
    EXPECT_EQ(child.finish(), 0) << child.standard_error();
    EXPECT_GE(frames, 3);
    EXPECT_EQ(child.standard_error(), "");
}

}  // namespace
