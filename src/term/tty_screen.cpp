#include "term/tty_screen.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "term/cell_style.h"

// ncurses last: its macros (OK, ERR, and one per terminal capability in term.h) must not
// reach the headers above.
#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>

namespace term_internal {

namespace {

// Signals whose handlers newterm would replace when they are at their defaults. The layer
// leaves their handling to the program, so their dispositions are put back after newterm.
constexpr int kept_signals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGTTIN, SIGTTOU};
constexpr std::size_t kept_signal_count = sizeof kept_signals / sizeof kept_signals[0];

// How long a lone Escape byte waits for the rest of an escape sequence.
constexpr int escape_delay_ms = 25;

// Colour slots of the pair table: the default colour, then terminal colours 0 to 15.
constexpr int colour_slots = 17;

// The write end of the resize pipe, for the signal handler.
std::atomic<int> resize_write_fd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void on_resize_signal(int /*signal*/) {
    const int saved_errno = errno;
    const int fd = resize_write_fd.load();
    if (fd >= 0) {
        const char byte = 0;
        // A full pipe already holds a wake-up: losing this byte loses nothing.
        const ssize_t written = write(fd, &byte, 1);
        (void)written;
    }
    errno = saved_errno;
}

struct Tty {
    int fd = -1;          // /dev/tty; owned by `out` once that exists
    int input_fd = -1;    // a duplicate of fd, owned by `in` once that exists
    FILE* out = nullptr;  // ncurses writes here
    FILE* in = nullptr;   // ncurses reads here
    SCREEN* screen = nullptr;
    termios modes{};  // the terminal modes as found
    std::string saved_ctype;
    bool ctype_switched = false;
    bool utf8 = true;  // the character type in force writes UTF-8
    int pipe_read = -1;
    int pipe_write = -1;
    struct sigaction saved_winch{};
    bool winch_installed = false;
    int colours = 0;  // 0 when colours are not in use
    short default_fg = -1;
    short default_bg = -1;
    short pairs[colour_slots][colour_slots]{};  // 0: not allocated yet (or pair 0 itself)
    short next_pair = 1;
    bool input_pending = false;  // ncurses may hold bytes already taken off the terminal
};

Tty tty;

bool codeset_is_utf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// Makes the character type UTF-8 when it is not, remembering the one in force.
int switch_to_utf8(Tty& t) {
    if (codeset_is_utf8()) return TB_OK;
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    try {
        t.saved_ctype = current != nullptr ? current : "C";
    } catch (const std::bad_alloc&) {
        return TB_ERR_MEM;
    }
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr && codeset_is_utf8()) {
            t.ctype_switched = true;
            return TB_OK;
        }
    }
    // No UTF-8 locale on this system: stay as we are and write ASCII only.
    std::setlocale(LC_CTYPE, t.saved_ctype.c_str());
    t.utf8 = false;
    return TB_OK;
}

// A string capability the description has: tigetstr gives null for an absent one and
// (char*)-1 for a name that is not a string capability.
bool present(const char* capability) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): terminfo's own marker value
    return capability != nullptr && capability != reinterpret_cast<char*>(-1);
}

FILE* capability_stream = nullptr;

int put_capability_byte(int byte) {
    return std::fputc(byte, capability_stream);
}

// Sends the capability `name` of the current terminal description to `stream`.
void send_capability(const char* name, FILE* stream) {
    const char* text = tigetstr(name);
    if (!present(text)) return;
    capability_stream = stream;
    tputs(text, 1, put_capability_byte);
    std::fflush(stream);
}

// Undoes whatever of tty_open's work `t` records, in reverse order.
void release(Tty& t) {
    if (t.screen != nullptr) {
        curs_set(1);
        endwin();
        // endwin sends these only when it believes them needed; the normal screen gets
        // plain attributes and default colours whatever it believes.
        send_capability("sgr0", t.out);
        send_capability("op", t.out);
        delscreen(t.screen);
        t.screen = nullptr;
    }
    if (t.fd >= 0) tcsetattr(t.fd, TCSADRAIN, &t.modes);
    if (t.winch_installed) {
        sigaction(SIGWINCH, &t.saved_winch, nullptr);
        t.winch_installed = false;
    }
    resize_write_fd.store(-1);
    if (t.pipe_read >= 0) close(t.pipe_read);
    if (t.pipe_write >= 0) close(t.pipe_write);
    t.pipe_read = t.pipe_write = -1;
    if (t.in != nullptr) {
        std::fclose(t.in);
    } else if (t.input_fd >= 0) {
        close(t.input_fd);
    }
    if (t.out != nullptr) {
        std::fclose(t.out);
    } else if (t.fd >= 0) {
        close(t.fd);
    }
    t.in = t.out = nullptr;
    t.fd = t.input_fd = -1;
    if (t.ctype_switched) {
        std::setlocale(LC_CTYPE, t.saved_ctype.c_str());
        t.ctype_switched = false;
    }
}

// Whether `term` names a terminal description with cursor addressing, found without
// writing anything or changing the terminal (newterm would, and endwin would again).
bool usable_terminal(const char* term, int fd) {
    int status = 0;
    if (setupterm(term, fd, &status) != OK) return false;
    const char* addressing = tigetstr("cup");
    const bool usable = present(addressing);
    del_curterm(cur_term);
    return usable;
}

// Escape sequences that terminals send whatever their description says, for the keys
// that a description does not already bind.
void add_common_keys() {
    struct Binding {
        const char* sequence;
        int code;
    };
    static constexpr Binding bindings[] = {
        {"\x1b[A", KEY_UP},   {"\x1b[B", KEY_DOWN}, {"\x1b[C", KEY_RIGHT},  {"\x1b[D", KEY_LEFT},
        {"\x1bOA", KEY_UP},   {"\x1bOB", KEY_DOWN}, {"\x1bOC", KEY_RIGHT},  {"\x1bOD", KEY_LEFT},
        {"\x1b[H", KEY_HOME}, {"\x1b[F", KEY_END},  {"\x1bOH", KEY_HOME},   {"\x1bOF", KEY_END},
        {"\x1b[2~", KEY_IC},  {"\x1b[3~", KEY_DC},  {"\x1b[5~", KEY_PPAGE}, {"\x1b[6~", KEY_NPAGE},
    };
    for (const Binding& binding : bindings) {
        if (key_defined(binding.sequence) == 0) define_key(binding.sequence, binding.code);
    }
    // A one-byte key string (Backspace as DEL or ^H) stays the control key it is.
    const char* backspace = tigetstr("kbs");
    if (present(backspace) && std::strlen(backspace) == 1) {
        define_key(backspace, 0);
    }
}

// newterm, with the dispositions of kept_signals as they were before it.
SCREEN* start_ncurses(const char* term, FILE* out, FILE* in) {
    struct sigaction saved[kept_signal_count];
    bool have[kept_signal_count];
    for (std::size_t i = 0; i < kept_signal_count; ++i) {
        have[i] = sigaction(kept_signals[i], nullptr, &saved[i]) == 0;
    }
    SCREEN* screen = newterm(term, out, in);
    for (std::size_t i = 0; i < kept_signal_count; ++i) {
        if (have[i]) sigaction(kept_signals[i], &saved[i], nullptr);
    }
    return screen;
}

void start_colours(Tty& t) {
    if (!has_colors() || start_color() == ERR) return;
    if (use_default_colors() != OK) {
        t.default_fg = COLOR_WHITE;
        t.default_bg = COLOR_BLACK;
    }
    t.colours = COLORS;
}

// Takes over the terminal modes and the screen of the session that newterm started.
void take_over_screen() {
    raw();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    typeahead(-1);
    leaveok(stdscr, TRUE);
    scrollok(stdscr, FALSE);
    set_escdelay(escape_delay_ms);
    add_common_keys();
    curs_set(0);
}

// The terminal's size: the kernel's idea of it, or ncurses' when that is not available.
void read_size(int fd, int& w, int& h) {
    winsize ws{};
    if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
        w = ws.ws_col;
        h = ws.ws_row;
        return;
    }
    w = COLS;
    h = LINES;
}

short pair_for(const CellStyle& style) {
    if (tty.colours == 0) return 0;
    short& slot = tty.pairs[style.fg + 1][style.bg + 1];
    if (slot != 0 || (style.fg < 0 && style.bg < 0)) return slot;
    if (tty.next_pair >= COLOR_PAIRS) return 0;  // more combinations than the terminal has
    const auto fg = static_cast<short>(style.fg < 0 ? tty.default_fg : style.fg);
    const auto bg = static_cast<short>(style.bg < 0 ? tty.default_bg : style.bg);
    if (init_pair(tty.next_pair, fg, bg) == ERR) return 0;
    slot = tty.next_pair++;
    return slot;
}

attr_t attributes_for(const CellStyle& style) {
    attr_t attributes = A_NORMAL;
    if ((style.attributes & style_bold) != 0) attributes |= A_BOLD;
    if ((style.attributes & style_dim) != 0) attributes |= A_DIM;
    if ((style.attributes & style_underline) != 0) attributes |= A_UNDERLINE;
    if ((style.attributes & style_italic) != 0) attributes |= A_ITALIC;
    if ((style.attributes & style_blink) != 0) attributes |= A_BLINK;
    if ((style.attributes & style_reverse) != 0) attributes |= A_REVERSE;
    return attributes;
}

void draw_cell(int x, int y, const Cell& cell) {
    const CellStyle style = cell_style(cell.fg, cell.bg, tty.colours);
    const wchar_t text[2] = {static_cast<wchar_t>(display_char(cell.ch, tty.utf8)), L'\0'};
    cchar_t shown{};
    setcchar(&shown, text, attributes_for(style), pair_for(style), nullptr);
    // The bottom right cell reports ERR (the cursor cannot move past it) but is drawn.
    mvwadd_wch(stdscr, y, x, &shown);
}

// One key from ncurses, if it has one.
bool read_key(tb_event* ev) {
    wint_t code = 0;
    const int kind = wget_wch(stdscr, &code);
    if (kind == ERR) {
        tty.input_pending = false;
        return false;
    }
    tty.input_pending = true;
    if (kind == KEY_CODE_YES) {
        if (code == KEY_RESIZE) return false;  // sizes come from the resize pipe
        // Escape sequences count down from 0xFFFF: the standard keys one code each, the
        // keys a terminal description adds beyond them all on 0xFF00.
        const auto offset = std::min<wint_t>(code >= KEY_MIN ? code - KEY_MIN : 0, 0xFF);
        ev->key = static_cast<std::uint16_t>(0xFFFF - offset);
    } else if (code < 0x20 || code == 0x7F) {
        ev->key = static_cast<std::uint16_t>(code);
    } else {
        ev->ch = static_cast<std::uint32_t>(code);
    }
    ev->type = TB_EVENT_KEY;
    return true;
}

int take_resize(CellBuffers& buffers, tb_event* ev) {
    char drained[64];
    while (read(tty.pipe_read, drained, sizeof drained) > 0) {
    }
    int w = 0;
    int h = 0;
    read_size(tty.fd, w, h);
    if (w != COLS || h != LINES) resizeterm(h, w);
    const int rc = resize_cell_buffers(buffers, w, h);
    if (rc != TB_OK) return rc;
    forget_front(buffers);
    clearok(curscr, TRUE);
    ev->type = TB_EVENT_RESIZE;
    ev->w = w;
    ev->h = h;
    return TB_OK;
}

long long now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

int tty_open(CellBuffers& buffers) {
    Tty t;
    t.fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (t.fd < 0) return TB_ERR_INIT_OPEN;
    if (!isatty(t.fd) || tcgetattr(t.fd, &t.modes) != 0) {
        release(t);
        return TB_ERR_INIT_OPEN;
    }
    const char* term = std::getenv("TERM");
    if (term == nullptr || *term == '\0') {
        release(t);
        return TB_ERR_NO_TERM;
    }
    if (!usable_terminal(term, t.fd)) {
        release(t);
        return TB_ERR_NO_TERM;
    }
    int rc = switch_to_utf8(t);
    if (rc != TB_OK) {
        release(t);
        return rc;
    }
    int pipe_fds[2];
    t.input_fd = fcntl(t.fd, F_DUPFD_CLOEXEC, 0);
    if (t.input_fd < 0 || pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        release(t);
        return TB_ERR;
    }
    t.pipe_read = pipe_fds[0];
    t.pipe_write = pipe_fds[1];
    t.out = fdopen(t.fd, "w");
    if (t.out == nullptr) {
        release(t);
        return TB_ERR;
    }
    t.in = fdopen(t.input_fd, "r");
    if (t.in == nullptr) {
        release(t);
        return TB_ERR;
    }
    // Ours before newterm, so that ncurses does not install its own.
    struct sigaction on_resize{};
    on_resize.sa_handler = on_resize_signal;
    sigemptyset(&on_resize.sa_mask);
    on_resize.sa_flags = SA_RESTART;
    resize_write_fd.store(t.pipe_write);
    if (sigaction(SIGWINCH, &on_resize, &t.saved_winch) != 0) {
        release(t);
        return TB_ERR;
    }
    t.winch_installed = true;

    use_env(TRUE);
    use_tioctl(TRUE);
    t.screen = start_ncurses(term, t.out, t.in);
    if (t.screen == nullptr) {
        release(t);
        return TB_ERR_NO_TERM;
    }
    take_over_screen();
    start_colours(t);

    int w = 0;
    int h = 0;
    read_size(t.fd, w, h);
    if (w != COLS || h != LINES) resizeterm(h, w);
    rc = resize_cell_buffers(buffers, w, h);
    if (rc != TB_OK) {
        release(t);
        return rc;
    }
    forget_front(buffers);
    tty = std::move(t);
    // Clears the alternate screen now, with the cursor already hidden.
    clearok(curscr, TRUE);
    wrefresh(stdscr);
    return TB_OK;
}

void tty_close() {
    wattrset(stdscr, A_NORMAL);
    release(tty);
    tty = Tty{};
}

int tty_present(CellBuffers& buffers) {
    for (int y = 0; y < buffers.height; ++y) {
        for (int x = 0; x < buffers.width; ++x) {
            const std::size_t i = buffers.index(x, y);
            if (buffers.back[i] == buffers.front[i]) continue;
            draw_cell(x, y, buffers.back[i]);
            buffers.front[i] = buffers.back[i];
        }
    }
    if (wnoutrefresh(stdscr) == ERR || doupdate() == ERR) return TB_ERR;
    return TB_OK;
}

int tty_peek_event(CellBuffers& buffers, tb_event* ev, int timeout_ms) {
    while (tty.input_pending) {
        if (read_key(ev)) return TB_OK;
    }
    const long long deadline = now_ms() + std::max(timeout_ms, 0);
    for (;;) {
        pollfd fds[2] = {{tty.input_fd, POLLIN, 0}, {tty.pipe_read, POLLIN, 0}};
        int wait = -1;
        if (timeout_ms >= 0) wait = static_cast<int>(std::max(deadline - now_ms(), 0LL));
        const int ready = poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return TB_ERR_POLL;
        }
        if (ready == 0) return TB_ERR_NO_EVENT;
        if ((fds[1].revents & POLLIN) != 0) return take_resize(buffers, ev);
        if ((fds[0].revents & POLLIN) != 0 && read_key(ev)) return TB_OK;
        while (tty.input_pending) {
            if (read_key(ev)) return TB_OK;
        }
        // A terminal that hung up stays readable for ever: report it instead of spinning.
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return TB_ERR_READ;
    }
}

void tty_fds(int* ttyfd, int* resizefd) {
    *ttyfd = tty.input_fd;
    *resizefd = tty.pipe_read;
}

}  // namespace term_internal
