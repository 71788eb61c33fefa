// tb_init and friends on a real terminal device: each test runs the layer in a child
// process that is the session leader of a new pseudo-terminal (or of none), with its
// standard streams on files, and plays the terminal's other side from the parent.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "term/pty_child.h"
#include "term/termbox2.h"

namespace {

using gorv::testing::Child;
using gorv::testing::report_timeout_ms;

bool same_modes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

void* handler_of(int signal) {
    struct sigaction action{};
    sigaction(signal, nullptr, &action);
    return reinterpret_cast<void*>(action.sa_handler);
}

// What tb_init must leave as it was, or give back at tb_shutdown.
struct Surroundings {
    termios modes{};
    std::string ctype;
    void* winch = nullptr;
    void* interrupt = nullptr;
    void* terminate = nullptr;
    void* stop = nullptr;

    static Surroundings now() {
        Surroundings s;
        const int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
        if (fd >= 0) {
            tcgetattr(fd, &s.modes);
            close(fd);
        }
        s.ctype = std::setlocale(LC_CTYPE, nullptr);
        s.winch = handler_of(SIGWINCH);
        s.interrupt = handler_of(SIGINT);
        s.terminate = handler_of(SIGTERM);
        s.stop = handler_of(SIGTSTP);
        return s;
    }

    // "same", or the names of what differs.
    std::string compare(const Surroundings& other) const {
        std::string differences;
        if (!same_modes(modes, other.modes)) differences += " modes";
        if (ctype != other.ctype) differences += " locale:" + other.ctype;
        if (winch != other.winch) differences += " SIGWINCH";
        if (interrupt != other.interrupt) differences += " SIGINT";
        if (terminate != other.terminate) differences += " SIGTERM";
        if (stop != other.stop) differences += " SIGTSTP";
        return differences.empty() ? "same" : differences.substr(1);
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Waits for the parent's go-ahead: any key, or a resize when `resize` is set.
bool wait_for(bool resize) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        tb_event ev;
        if (tb_peek_event(&ev, 100) != TB_OK) continue;
        if (ev.type == (resize ? TB_EVENT_RESIZE : TB_EVENT_KEY)) return true;
    }
    return false;
}

TEST(TtyInit, FailsQuietlyWithoutAControllingTerminal) {
    Child child;
    ASSERT_TRUE(child.start(false, "xterm-256color", [](Child& self) {
        const Surroundings before = Surroundings::now();
        self.report(std::to_string(tb_init()));
        self.report(std::to_string(tb_width()) + " " + std::to_string(tb_shutdown()));
        self.report(before.compare(Surroundings::now()));
        return 0;
    }));
    EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_INIT_OPEN));
    EXPECT_EQ(child.next_report(),
              std::to_string(TB_ERR_NOT_INIT) + " " + std::to_string(TB_ERR_NOT_INIT));
    EXPECT_EQ(child.next_report(), "same");
    EXPECT_EQ(child.finish(), 0);
    EXPECT_EQ(child.standard_output(), "");
    EXPECT_EQ(child.standard_error(), "");
}

TEST(TtyInit, RefusesAMissingOrUnusableTermAndChangesNothing) {
    const char* terms[] = {nullptr, "", "no-such-terminal-type", "dumb"};
    for (const char* term : terms) {
        SCOPED_TRACE(term == nullptr ? "TERM unset" : term);
        Child child;
        ASSERT_TRUE(child.start(true, term, [](Child& self) {
            const Surroundings before = Surroundings::now();
            self.report(std::to_string(tb_init()));
            self.report(before.compare(Surroundings::now()));
            self.report(std::to_string(tb_width()));
            return 0;
        }));
        EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_NO_TERM));
        EXPECT_EQ(child.next_report(), "same");
        EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_NOT_INIT));
        EXPECT_EQ(child.finish(), 0);
        EXPECT_EQ(child.terminal_output(), "");
        EXPECT_EQ(child.standard_output(), "");
        EXPECT_EQ(child.standard_error(), "");
    }
}

TEST(TtyInit, TakesTheTerminalOverAndGivesItBackAsFound) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        // The size comes from the terminal, not from these.
        setenv("LINES", "3", 1);
        setenv("COLUMNS", "7", 1);
        const Surroundings before = Surroundings::now();
        self.report(std::to_string(tb_init()));
        const Surroundings during = Surroundings::now();
        const tcflag_t cooked = ECHO | ICANON | ISIG | IEXTEN;
        self.report((during.modes.c_lflag & cooked) == 0 && (during.modes.c_iflag & IXON) == 0
                        ? "raw"
                        : "cooked");
        self.report(during.ctype == before.ctype ? "locale unchanged" : during.ctype);
        // SIGWINCH, and the signals that would end the process with the terminal taken
        // (here at their defaults); stop signals are the program's business.
        self.report(during.interrupt != before.interrupt && during.terminate != before.terminate &&
                            during.stop == before.stop && during.winch != before.winch
                        ? "resize and ending signals handled"
                        : "signals changed");
        self.report(std::to_string(tb_width()) + "x" + std::to_string(tb_height()));
        if (!wait_for(false)) return 2;
        self.report(std::to_string(tb_init()));
        self.report(std::to_string(tb_shutdown()));
        self.report(before.compare(Surroundings::now()));
        const int again = tb_init();
        self.report(std::to_string(again) + " " + std::to_string(tb_shutdown()));
        self.report(before.compare(Surroundings::now()));
        return 0;
    }));
    EXPECT_EQ(child.next_report(), "0");
    EXPECT_EQ(child.next_report(), "raw");
    EXPECT_EQ(child.next_report(), "locale unchanged");
    EXPECT_EQ(child.next_report(), "resize and ending signals handled");
    EXPECT_EQ(child.next_report(), "30x8");
    const std::string taken = child.terminal_output();
    child.type("n");
    EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_INIT_ALREADY));
    EXPECT_EQ(child.next_report(), "0");
    EXPECT_EQ(child.next_report(), "same");
    const std::string given_back = child.terminal_output();
    EXPECT_EQ(child.next_report(), "0 0");
    EXPECT_EQ(child.next_report(), "same");
    EXPECT_EQ(child.finish(), 0);

    // smcup smkx civis sgr0 clear, and back: cnorm sgr0 clear rmcup rmkx, as
    // `infocmp -1 xterm-256color` gives them. No mouse reporting, no meta mode.
    EXPECT_EQ(taken,
              "\x1b[?1049h\x1b[22;0;0t"
              "\x1b[?1h\x1b="
              "\x1b[?25l"
              "\x1b(B\x1b[m"
              "\x1b[H\x1b[2J");
    // The second tb_init's bytes may already follow.
    EXPECT_EQ(given_back.substr(0, 49),
              "\x1b[?12l\x1b[?25h"
              "\x1b(B\x1b[m"
              "\x1b[H\x1b[2J"
              "\x1b[?1049l\x1b[23;0;0t"
              "\x1b[?1l\x1b>");
    EXPECT_EQ(child.standard_output(), "");
    EXPECT_EQ(child.standard_error(), "");
}

TEST(TtyInit, LeavesTheProgramsOwnSignalHandlersAlone) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        struct sigaction own{};
        own.sa_handler = [](int) {};
        sigemptyset(&own.sa_mask);
        sigaction(SIGTERM, &own, nullptr);
        const Surroundings before = Surroundings::now();
        if (tb_init() != TB_OK) return 1;
        self.report(handler_of(SIGTERM) == before.terminate ? "own handler kept" : "replaced");
        tb_shutdown();
        return 0;
    }));
    EXPECT_EQ(child.next_report(), "own handler kept");
    EXPECT_EQ(child.finish(), 0);
}

// A signal that ends the process while the terminal is taken over: the terminal is given
// back first, and the process still ends by that signal (so a core dump is written where
// enabled).
TEST(TtyInit, AFatalSignalGivesTheTerminalBackAndStillEndsTheProcess) {
    std::vector<int> signals = {SIGUSR1, SIGALRM, SIGABRT};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    signals.push_back(SIGSEGV);  // the sanitizers take SIGSEGV for themselves
#endif
    for (const int signal_number : signals) {
        SCOPED_TRACE(strsignal(signal_number));
        Child child;
        ASSERT_TRUE(child.start(true, "xterm-256color", [signal_number](Child& self) {
            if (tb_init() != TB_OK) return 1;
            self.report("ready");
            for (int i = 0; i < 300; ++i) {
                tb_event ev;
                if (tb_peek_event(&ev, 10) == TB_OK && ev.type == TB_EVENT_KEY) break;
            }
            raise(signal_number);
            return 3;
        }));
        ASSERT_EQ(child.next_report(), "ready");
        EXPECT_EQ(child.modes().c_lflag & (ECHO | ICANON), 0u) << "taken over";
        (void)child.terminal_output();
        child.type("x");
        const int status = child.wait_status();
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal_number);
        EXPECT_EQ(
            child.terminal_output(),
            "\x1b[?12l\x1b[?25h\x1b(B\x1b[m\x1b[H\x1b[2J\x1b[?1049l\x1b[23;0;0t\x1b[?1l\x1b>");
        EXPECT_EQ(child.modes().c_lflag & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON))
            << "the modes as found";
    }
}

struct KeyCase {
    const char* bytes;
    std::uint32_t ch;
    std::uint16_t key;  // 0xFFFF: any escape-sequence key (0xFF00 and above)
};

constexpr KeyCase key_cases[] = {
    {"q", 'q', 0},         {" ", ' ', 0},
    {"\x03", 0, 0x03},  // Ctrl-C is input, not SIGINT
    {"\x1a", 0, 0x1A},  // Ctrl-Z is input, not SIGTSTP
    {"\x1c", 0, 0x1C},  // Ctrl-\ is input, not SIGQUIT
    {"\r", 0, 0x0D},       {"\x7f", 0, 0x7F},
    {"\x1b", 0, 0x1B},  // a lone Escape, after a short wait for more
    {"\xc3\xa9", 0xE9, 0}, {"\xef\xbe\x8a", 0xFF8A, 0},
    {"\x1bOA", 0, 0xFFFF},  // the up arrow of xterm's keypad mode
    {"\x1b[B", 0, 0xFFFF},  // the down arrow in cursor mode
    {"\xe9", 0, 0xE9},      // Latin-1 e acute: not UTF-8, a key of its own
    {"\x80", 0, 0x80},     {"\xff", 0, 0xFF},
    {"q", 'q', 0},  // not swallowed by the byte before it
};

TEST(TtyEvents, KeysArriveAsKeyEventsInTheCLocale) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        self.report("ready");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::size_t keys = 0;
        while (keys < std::size(key_cases) && std::chrono::steady_clock::now() < deadline) {
            tb_event ev;
            if (tb_peek_event(&ev, 100) != TB_OK || ev.type != TB_EVENT_KEY) continue;
            self.report(std::to_string(ev.ch) + " " + std::to_string(ev.key));
            ++keys;
        }
        tb_shutdown();
        return 0;
    }));
    ASSERT_EQ(child.next_report(), "ready");
    for (const KeyCase& c : key_cases) {
        child.type(c.bytes);
        const std::string got = child.next_report();
        SCOPED_TRACE(got);
        unsigned long ch = 0;
        unsigned long key = 0;
        ASSERT_EQ(std::sscanf(got.c_str(), "%lu %lu", &ch, &key), 2);
        EXPECT_EQ(ch, c.ch);
        if (c.key == 0xFFFF) {
            EXPECT_GE(key, 0xFF00u);
        } else {
            EXPECT_EQ(key, c.key);
        }
    }
    EXPECT_EQ(child.finish(), 0);
}

TEST(TtyEvents, KeysReadTogetherAllReachACallerThatPollsTheDescriptors) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        int fds[2] = {-1, -1};
        if (tb_get_fds(&fds[0], &fds[1]) != TB_OK) return 2;
        self.report("ready");
        // As the program's watcher does: wait on both descriptors, then take the event
        // without waiting. Keys decoded from one read must not sit where poll cannot see.
        for (int keys = 0; keys < 4;) {
            pollfd waits[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
            if (poll(waits, 2, 2000) <= 0) {
                self.report("poll saw nothing");
                break;
            }
            tb_event ev;
            if (tb_peek_event(&ev, 0) != TB_OK) continue;
            self.report(std::to_string(ev.ch) + " " + std::to_string(ev.key));
            ++keys;
        }
        tb_shutdown();
        return 0;
    }));
    ASSERT_EQ(child.next_report(), "ready");
    child.type("ab\x1b[Ac");
    EXPECT_EQ(child.next_report(), "97 0");
    EXPECT_EQ(child.next_report(), "98 0");
    EXPECT_EQ(child.next_report(), "0 " + std::to_string(0xFFFF - 18));
    EXPECT_EQ(child.next_report(), "99 0");
    EXPECT_EQ(child.finish(), 0);
}

TEST(TtyShutdown, DiscardsInputTypedDuringTheRun) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        self.report("ready");
        // The parent types while nothing reads; the bytes wait in the terminal.
        const int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
        for (int i = 0; i < 200; ++i) {
            int waiting = 0;
            ioctl(fd, FIONREAD, &waiting);
            if (waiting >= 9) break;
            usleep(10000);
        }
        tb_shutdown();
        int left = -1;
        ioctl(fd, FIONREAD, &left);
        self.report("left " + std::to_string(left));
        close(fd);
        return 0;
    }));
    ASSERT_EQ(child.next_report(), "ready");
    child.type("q\recho X\r");
    EXPECT_EQ(child.next_report(), "left 0");
    EXPECT_EQ(child.finish(), 0);
}

TEST(TtyEvents, ResizeAndInputWakeTheirDescriptors) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        int fds[2] = {-1, -1};
        if (tb_get_fds(&fds[0], &fds[1]) != TB_OK) return 2;
        self.report("ready");
        for (int round = 0; round < 2; ++round) {
            pollfd waits[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
            int ready = 0;
            do {
                ready = poll(waits, 2, report_timeout_ms);
            } while (ready < 0 && errno == EINTR);
            if (ready <= 0) return 3;
            self.report((waits[1].revents & POLLIN) != 0 ? "resizefd" : "ttyfd");
            tb_event ev;
            const int rc = tb_peek_event(&ev, 0);
            self.report(std::to_string(rc) + " " + std::to_string(ev.type) + " " +
                        std::to_string(ev.w) + "x" + std::to_string(ev.h) + " " +
                        std::to_string(tb_width()) + "x" + std::to_string(tb_height()) + " " +
                        std::to_string(ev.ch));
            self.report(std::to_string(tb_set_cell(49, 11, '#', 0, 0)) + " " +
                        std::to_string(tb_set_cell(50, 0, '#', 0, 0)));
        }
        tb_event ev;
        const int rc = tb_peek_event(&ev, 0);
        self.report(std::to_string(rc) + " " + std::to_string(ev.type));
        tb_shutdown();
        return 0;
    }));
    ASSERT_EQ(child.next_report(), "ready");
    child.resize(50, 12);
    EXPECT_EQ(child.next_report(), "resizefd");
    EXPECT_EQ(child.next_report(), "0 2 50x12 50x12 0");
    EXPECT_EQ(child.next_report(), "0 " + std::to_string(TB_ERR_OUT_OF_BOUNDS));
    child.type("x");
    EXPECT_EQ(child.next_report(), "ttyfd");
    EXPECT_EQ(child.next_report(), "0 1 0x0 50x12 120");
    EXPECT_EQ(child.next_report(), "0 " + std::to_string(TB_ERR_OUT_OF_BOUNDS));
    EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_NO_EVENT) + " 0");
    EXPECT_EQ(child.finish(), 0);
}

// Row y of the test pattern, w cells wide: no two neighbours alike.
std::string pattern_row(int y, int w) {
    std::string row;
    for (int x = 0; x < w; ++x)
        row += static_cast<char>('a' + (x * 7 + y * 3) % 26);
    return row;
}

void draw_pattern() {
    for (int y = 0; y < tb_height(); ++y) {
        const std::string row = pattern_row(y, tb_width());
        for (int x = 0; x < tb_width(); ++x) {
            tb_set_cell(x, y, static_cast<unsigned char>(row[static_cast<std::size_t>(x)]), 0, 0);
        }
    }
}

TEST(TtyPresent, WritesOnlyChangedCellsAndEverythingAfterAResize) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        draw_pattern();
        self.report(std::to_string(tb_present()));
        if (!wait_for(false)) return 2;
        tb_set_cell(3, 2, 'Z', 0, 0);
        self.report(std::to_string(tb_present()));
        if (!wait_for(false)) return 2;
        self.report(std::to_string(tb_present()));
        if (!wait_for(false)) return 2;
        tb_set_cell(0, 0, 0xFF8A, 0, 0);
        tb_set_cell(1, 0, 0x250C, 0, 0);
        tb_set_cell(2, 0, 0x1B, 0, 0);  // must not reach the terminal as an escape
        self.report(std::to_string(tb_present()));
        if (!wait_for(true)) return 2;
        draw_pattern();
        self.report(std::to_string(tb_present()));
        tb_shutdown();
        return 0;
    }));
    // The bottom row may be written in two pieces, to fill its last cell without scrolling.
    ASSERT_EQ(child.next_report(), "0");
    const std::string first = child.terminal_output();
    for (int y = 0; y < 8; ++y) {
        EXPECT_TRUE(contains(first, pattern_row(y, 29))) << y;
    }

    child.type("n");
    ASSERT_EQ(child.next_report(), "0");
    // One synchronized update around a short move and the cell.
    const std::string one_cell = child.terminal_output();
    ASSERT_TRUE(one_cell.starts_with("\x1b[?2026h") && one_cell.ends_with("Z\x1b[?2026l"))
        << one_cell;
    EXPECT_LT(one_cell.size(), 16u + 16u) << one_cell;

    child.type("n");
    ASSERT_EQ(child.next_report(), "0");
    EXPECT_EQ(child.terminal_output(), "");

    child.type("n");
    ASSERT_EQ(child.next_report(), "0");
    EXPECT_TRUE(contains(child.terminal_output(), "\xef\xbe\x8a\xe2\x94\x8c\xef\xbf\xbd"))
        << "U+FF8A and U+250C as UTF-8 in the C locale, then U+FFFD for the escape";

    child.resize(40, 6);
    ASSERT_EQ(child.next_report(), "0");
    const std::string redrawn = child.terminal_output();
    for (int y = 0; y < 6; ++y) {
        EXPECT_TRUE(contains(redrawn, pattern_row(y, 39))) << y;
    }
    EXPECT_EQ(child.finish(), 0);
}

// A terminal that takes output slowly (its reader reads 512 bytes every 20 ms, far less
// than full frames at 25 a second): presents never block, frames are skipped instead of
// piling up, and a key still ends the run at once.
TEST(TtyPresent, SkipsFramesOnASlowTerminalAndStillTakesKeys) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        if (tb_init() != TB_OK) return 1;
        for (int i = 0; i < 200 && tb_width() != 200; ++i) {
            tb_event ev;
            (void)tb_peek_event(&ev, 10);
        }
        self.report(std::to_string(tb_width()) + "x" + std::to_string(tb_height()));
        int presents = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            // Every cell changes every frame.
            for (int y = 0; y < tb_height(); ++y) {
                for (int x = 0; x < tb_width(); ++x)
                    tb_set_cell(x, y, static_cast<std::uint32_t>('a' + (x + y + presents) % 26), 0,
                                0);
            }
            if (tb_present() != TB_OK) return 2;
            ++presents;
            tb_event ev;
            if (tb_peek_event(&ev, 40) == TB_OK && ev.type == TB_EVENT_KEY) break;
        }
        self.report(std::to_string(presents));
        tb_shutdown();
        return 0;
    }));
    child.resize(200, 60);
    child.stall_terminal(true);
    ASSERT_EQ(child.next_report(), "200x60");
    std::size_t received = 0;
    for (int i = 0; i < 50; ++i) {
        received += child.read_slowly(512);
        usleep(20000);
    }
    child.type("q");
    const auto typed = std::chrono::steady_clock::now();
    while (!child.ended() && std::chrono::steady_clock::now() - typed < std::chrono::seconds(5)) {
        received += child.read_slowly(512);
        usleep(20000);
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - typed);
    EXPECT_LT(took.count(), 1500) << "the key ended the run after " << took.count() << " ms";
    child.stall_terminal(false);
    const int presents = std::stoi(child.next_report());
    EXPECT_EQ(child.finish(), 0);
    // Each frame rewrites 12,000 cells; far fewer frames' worth reached the terminal.
    EXPECT_GT(presents, 20);
    EXPECT_LT(received, static_cast<std::size_t>(presents) * 12000 / 2)
        << presents << " presents, " << received << " bytes read";
    const std::string tail = child.terminal_output();
    EXPECT_NE(tail.find("\x1b[?1049l"), std::string::npos) << "the end bytes arrive";
}

// From a background process group tb_init refuses before it writes or sets anything, so it
// raises no SIGTTOU (which would stop this process: its report would never come); once the
// group is the terminal's foreground, it takes the terminal over.
TEST(TtyInit, RefusesFromTheBackgroundAndChangesNothing) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        int go[2];
        if (pipe(go) != 0) return 1;
        const pid_t background = fork();
        if (background < 0) return 2;
        if (background == 0) {
            close(go[1]);
            setpgid(0, 0);
            const Surroundings before = Surroundings::now();
            self.report(std::to_string(tb_init()));
            self.report(before.compare(Surroundings::now()));
            self.report(std::to_string(tb_width()));
            char byte = 0;
            if (read(go[0], &byte, 1) != 1) _exit(3);
            const int taken = tb_init();
            self.report(std::to_string(taken) + " " + std::to_string(tb_shutdown()));
            _exit(0);
        }
        close(go[0]);
        setpgid(background, background);
        // The parent's line, read in the terminal's own (cooked) modes: the background
        // group has had its try.
        const int tty = open("/dev/tty", O_RDWR | O_NOCTTY);
        char line[8];
        if (tty < 0 || read(tty, line, sizeof line) <= 0) return 4;
        if (tcsetpgrp(tty, background) != 0) return 5;
        if (write(go[1], "g", 1) != 1) return 6;
        int status = 0;
        waitpid(background, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 7;
    }));
    EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_TCSETATTR));
    EXPECT_EQ(child.next_report(), "same");
    EXPECT_EQ(child.next_report(), std::to_string(TB_ERR_NOT_INIT));
    EXPECT_EQ(child.terminal_output(), "") << "nothing written from the background";
    child.type("g\n");
    EXPECT_EQ(child.next_report(), "0 0");
    EXPECT_EQ(child.finish(), 0);
}

// SIGWINCH on another thread while the terminal is taken over and given back again and
// again: a descriptor that tb_shutdown closes (and the next pipe reuses) never gets a byte.
// The window is narrow; a ThreadSanitizer build sees any write that is not ordered before
// the close.
TEST(TtyShutdown, ResizeSignalsNeverWriteIntoClosedDescriptors) {
    Child child;
    ASSERT_TRUE(child.start(true, "xterm-256color", [](Child& self) {
        std::atomic<bool> done{false};
        // Raised on the other thread, so that the handler runs there, beside tb_shutdown.
        std::thread resizer([&done] {
            while (!done)
                raise(SIGWINCH);
        });
        int stray = 0;
        for (int i = 0; i < 50; ++i) {
            if (tb_init() != TB_OK) break;
            tb_shutdown();
            int fds[2];
            if (pipe2(fds, O_NONBLOCK) != 0) break;
            char byte = 0;
            if (read(fds[0], &byte, 1) == 1) ++stray;
            close(fds[0]);
            close(fds[1]);
        }
        done = true;
        resizer.join();
        self.report("stray " + std::to_string(stray));
        return 0;
    }));
    EXPECT_EQ(child.next_report(), "stray 0") << child.standard_error();
    EXPECT_EQ(child.finish(), 0);
}

}  // namespace
