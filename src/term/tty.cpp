#include "term/tty.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <new>

#include "term/layer.h"
#include "term/screen_clear.h"

namespace term_internal {

namespace {

// How long the rest of an escape sequence or a UTF-8 character may take to arrive after
// its first byte before the bytes held count as complete (a lone Escape is the Escape key).
constexpr int escape_wait_ms = 50;

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

void on_resize_signal(int /*signal*/) {
    const int saved_errno = errno;
    Tty& t = layer.tty;
    // Counted in before the descriptor is read: release closes it only once no handler is in.
    t.handlers_inside.fetch_add(1);
    t.resized.store(true);
    if (const int fd = t.signal_wake.load(); fd >= 0) {
        const char byte = 0;
        // A full pipe already holds a wake-up: losing this byte loses nothing.
        const ssize_t written = write(fd, &byte, 1);
        (void)written;
        t.woken.store(true);
    }
    t.handlers_inside.fetch_sub(1);
    errno = saved_errno;
}

long long now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The kernel's idea of the size, or the description's when the kernel has none.
void read_size(const Tty& t, int& w, int& h) {
    winsize ws{};
    if (ioctl(t.fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
        w = ws.ws_col;
        h = ws.ws_row;
        return;
    }
    w = t.description.width_hint;
    h = t.description.height_hint;
}

void fill_blank(std::vector<Cell>& cells) {
    std::fill(cells.begin(), cells.end(), blank_cell);
}

// Whether the kernel's output queue shows what the terminal has not taken yet. Not on a
// pseudo-terminal: there the queue is always empty, since the bytes wait in the other
// side's input (pseudo-terminal devices have the majors 3 and 136 to 143).
bool queue_tells(int fd) {
    unsigned int device = 0;
    if (ioctl(fd, TIOCGDEV, &device) != 0) return true;
    const unsigned int kind = major(device);
    return kind != 3 && (kind < 136 || kind > 143);
}

// Signals whose default action ends the process (all but SIGKILL, which cannot be caught).
constexpr int fatal_signals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                                 SIGBUS,  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                                 SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                                 SIGPROF, SIGIO,   SIGPWR,    SIGSYS};
static_assert(std::size(fatal_signals) <= sizeof(Tty::fatal_installed) / sizeof(bool));

void on_fatal_signal(int signal_number) {
    Tty& t = layer.tty;
    // The first handler to run gives the terminal back; the disposition then becomes the
    // default, and the signal, raised again, takes its default action once this returns.
    t.handlers_inside.fetch_add(1);
    if (const int fd = t.signal_fd.exchange(-1); fd >= 0) {
        // The handler keeps its own descriptor of the terminal and turns fd into /dev/null,
        // so that nothing the other threads still write lands after the end bytes.
        const int own = dup(fd);
        if (own >= 0 && t.null_fd >= 0) (void)dup2(t.null_fd, fd);
        give_back_now(own >= 0 ? own : fd, t.output.end_bytes(), t.output.cut(), &t.saved_modes);
    }
    t.handlers_inside.fetch_sub(1);
    struct sigaction default_action{};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    (void)sigaction(signal_number, &default_action, nullptr);
    (void)raise(signal_number);
}

int install_fatal_handlers(Tty& t) {
    struct sigaction on_fatal{};
    on_fatal.sa_handler = on_fatal_signal;
    sigemptyset(&on_fatal.sa_mask);
    for (std::size_t i = 0; i < std::size(fatal_signals); ++i) {
        struct sigaction found{};
        if (sigaction(fatal_signals[i], nullptr, &found) != 0) return TB_ERR;
        // The program's own handlers and ignored signals stay as they are.
        if ((found.sa_flags & SA_SIGINFO) != 0 || found.sa_handler != SIG_DFL) continue;
        if (sigaction(fatal_signals[i], &on_fatal, &t.saved_fatal[i]) != 0) return TB_ERR;
        t.fatal_installed[i] = true;
    }
    return TB_OK;
}

void restore_fatal_handlers(Tty& t) {
    for (std::size_t i = 0; i < std::size(fatal_signals); ++i) {
        if (!t.fatal_installed[i]) continue;
        (void)sigaction(fatal_signals[i], &t.saved_fatal[i], nullptr);
        t.fatal_installed[i] = false;
    }
}

termios raw_modes(const termios& found) {
    termios raw = found;
    raw.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    raw.c_cflag |= CS8;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    return raw;
}

// Undoes whatever of the takeover `t` records, in reverse order, and empties it. The one
// path out of a session, whether tb_init failed half-way or tb_shutdown ends it.
void release(Tty& t) {
    t.signal_fd.store(-1);
    t.signal_wake.store(-1);
    restore_fatal_handlers(t);
    // A handler that counted itself in before the stores above may still write to the
    // descriptors or read the end bytes and modes: wait until it is out. One that counts
    // itself in later finds -1 in both and touches nothing.
    while (t.handlers_inside.load() != 0)
        sched_yield();
    if (t.fd >= 0) {
        const termios* modes = t.modes_changed ? &t.saved_modes : nullptr;
        give_back_now(t.fd, t.screen_taken ? t.output.end_bytes() : EndBytes{}, t.output.cut(),
                      modes);
    }
    if (t.winch_installed) (void)sigaction(SIGWINCH, &t.saved_winch, nullptr);
    t.resized.store(false);
    t.woken.store(false);
    for (int fd : {t.wake_read, t.wake_write, t.fd, t.null_fd}) {
        if (fd >= 0) close(fd);
    }
    t.fd = t.wake_read = t.wake_write = t.null_fd = -1;
    t.modes_changed = t.screen_taken = t.winch_installed = false;
    t.saved_modes = termios{};
    t.description = TerminalDescription{};
    t.encoder = FrameEncoder{};
    t.model = ScreenModel{};
    t.output.stop();
    t.input = InputDecoder{};
}

int take_over(Tty& t, CellBuffers& buffers) {
    t.fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (t.fd < 0) return TB_ERR_INIT_OPEN;
    if (isatty(t.fd) == 0 || tcgetattr(t.fd, &t.saved_modes) != 0) return TB_ERR_INIT_OPEN;
    t.null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    // From a background process group, changing the modes would raise SIGTTOU: the caller
    // learns it first, with nothing changed. A terminal without a foreground group (0)
    // refuses nobody.
    if (const pid_t foreground = tcgetpgrp(t.fd); foreground > 0 && foreground != getpgrp())
        return TB_ERR_TCSETATTR;
    if (const int rc = describe_terminal(std::getenv("TERM"), t.description); rc != TB_OK)
        return rc;
    t.encoder = FrameEncoder(t.description);
    t.input.use_keys(&t.description.keys);
    const TerminalDescription& d = t.description;
    std::string start;
    bool clears = true;
    try {
        const std::string clear = clear_bytes(d);
        clears = !clear.empty();
        start = d.enter_screen + d.keypad_on + d.hide_cursor + d.reset_style + clear;
        const std::string end =
            d.show_cursor + d.reset_style + clear + d.exit_screen + d.keypad_off;
        // After a frame cut short: CAN ends a sequence the cut left open, and the update
        // the frame began is ended.
        const std::string cancel =
            t.encoder.synchronized() ? std::string(1, cancel_sequence) + end_update : "";
        if (!t.output.prepare_end(cancel, end)) return TB_ERR_NO_TERM;
    } catch (const std::bad_alloc&) {
        return TB_ERR_MEM;
    }
    // Frames are written without blocking. The descriptor is the layer's own opening of
    // the terminal, so no other program's descriptor changes with it.
    const int flags = fcntl(t.fd, F_GETFL);
    if (flags < 0 || fcntl(t.fd, F_SETFL, flags | O_NONBLOCK) != 0) return TB_ERR;

    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) return TB_ERR;
    t.wake_read = pipe_fds[0];
    t.wake_write = pipe_fds[1];
    t.signal_wake.store(t.wake_write);
    struct sigaction on_resize{};
    on_resize.sa_handler = on_resize_signal;
    sigemptyset(&on_resize.sa_mask);
    on_resize.sa_flags = SA_RESTART;
    if (sigaction(SIGWINCH, &on_resize, &t.saved_winch) != 0) return TB_ERR;
    t.winch_installed = true;

    int w = 0;
    int h = 0;
    read_size(t, w, h);
    if (const int rc = resize_cell_buffers(buffers, w, h); rc != TB_OK) return rc;
    fill_blank(buffers.back);
    fill_blank(buffers.front);
    if (!clears) {
        // No way to clear the screen: every cell is written blank instead.
        try {
            start += blank_screen(t.encoder, d, w, h);
        } catch (const std::bad_alloc&) {
            return TB_ERR_MEM;
        }
    }

    const termios raw = raw_modes(t.saved_modes);
    t.modes_changed = true;
    if (tcsetattr(t.fd, TCSAFLUSH, &raw) != 0) return TB_ERR;
    t.screen_taken = true;
    if (const int rc = install_fatal_handlers(t); rc != TB_OK) return rc;
    t.signal_fd.store(t.fd);
    t.output.start(t.fd, t.encoder.synchronized(), queue_tells(t.fd));
    OutputBuffer& bytes = t.output.next(false);
    if (!bytes.reserve_more(start.size())) return TB_ERR_MEM;
    bytes.size = static_cast<std::size_t>(std::copy(start.begin(), start.end(), bytes.data.get()) -
                                          bytes.data.get());
    if (const int rc = t.output.send(); rc != TB_OK) return rc;
    // The clear homed the cursor and sgr0 left the default style.
    t.model.cursor = {CursorModel::Kind::known, 0, 0};
    t.model.style_known = true;
    return TB_OK;
}

void drain(int fd) {
    char bytes[64];
    while (read(fd, bytes, sizeof bytes) > 0) {
    }
}

// Wakes a poll on the wake pipe while decoded bytes wait, so that they are never left
// where a poll on the descriptors cannot see them.
void wake_if_holding(Tty& t) {
    if (!t.input.holding()) return;
    const char byte = 1;
    const ssize_t written = write(t.wake_write, &byte, 1);
    (void)written;
    t.woken.store(true);
}

int take_resize(Tty& t, CellBuffers& buffers, tb_event* ev) {
    int w = 0;
    int h = 0;
    read_size(t, w, h);
    if (const int rc = resize_cell_buffers(buffers, w, h); rc != TB_OK) return rc;
    // The terminal may have moved or dropped what it showed: every cell is drawn again, so
    // what is left of a frame for the old size is not needed, and could draw out of place.
    forget_front(buffers);
    t.output.drop_rest();
    t.model = ScreenModel{};
    ev->type = TB_EVENT_RESIZE;
    ev->w = w;
    ev->h = h;
    return TB_OK;
}

// The bytes that write every cell blank at the size the terminal has now, where the end
// bytes cannot clear the screen; empty where they can, or when memory runs out (the last
// frame then stays).
std::string end_blanks(const Tty& t) noexcept {
    try {
        if (!clear_bytes(t.description).empty()) return {};
        int w = 0;
        int h = 0;
        read_size(t, w, h);
        return blank_screen(t.encoder, t.description, w, h);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace

int tty_open(Tty& tty, CellBuffers& buffers) {
    const int rc = take_over(tty, buffers);
    if (rc != TB_OK) {
        release(tty);
        buffers = CellBuffers{};
    }
    return rc;
}

void tty_close(Tty& tty) {
    // Where the end bytes cannot clear the screen, blanks do, if the terminal has taken
    // everything before them: they are sent as a frame would be, and never waited for
    // longer.
    TtyOutput& output = tty.output;
    if (tty.fd >= 0 && tty.screen_taken && output.send() == TB_OK && !output.behind()) {
        const std::string blanks = end_blanks(tty);
        OutputBuffer& bytes = output.next(false);
        if (!blanks.empty() && bytes.reserve_more(blanks.size())) {
            bytes.size = static_cast<std::size_t>(
                std::copy(blanks.begin(), blanks.end(), bytes.data.get()) - bytes.data.get());
            (void)output.send();
        }
    }
    release(tty);
}

int tty_present(Tty& tty, CellBuffers& buffers) {
    TtyOutput& output = tty.output;
    if (const int rc = output.send(); rc != TB_OK) return rc;
    if (output.behind()) return TB_OK;
    const int encoded = tty.encoder.encode(buffers, tty.model, output.next(true));
    if (output.idle()) return encoded;
    const int sent = output.send();
    return encoded != TB_OK ? encoded : sent;
}

int tty_peek_event(Tty& tty, CellBuffers& buffers, tb_event* ev, int timeout_ms) {
    const long long deadline = now_ms() + std::max(timeout_ms, 0);
    for (;;) {
        // The pipe is read only when something wrote to it: a call that finds nothing
        // costs one poll.
        if (tty.woken.exchange(false)) drain(tty.wake_read);
        if (tty.resized.exchange(false)) {
            const int rc = take_resize(tty, buffers, ev);
            wake_if_holding(tty);
            return rc;
        }
        const InputDecoder::Result held = tty.input.next(*ev, false);
        if (held == InputDecoder::Result::event) {
            wake_if_holding(tty);
            return TB_OK;
        }
        const bool partial = held == InputDecoder::Result::need_more;
        int wait = -1;
        if (partial) {
            wait = escape_wait_ms;
        } else if (timeout_ms >= 0) {
            wait = static_cast<int>(std::max(deadline - now_ms(), 0LL));
        }
        pollfd fds[2] = {{tty.fd, POLLIN, 0}, {tty.wake_read, POLLIN, 0}};
        const int ready = poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return TB_ERR_POLL;
        }
        if (ready == 0) {
            if (!partial) return TB_ERR_NO_EVENT;
            (void)tty.input.next(*ev, true);
            wake_if_holding(tty);
            return TB_OK;
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
            const std::span<char> room = tty.input.room();
            if (room.empty()) {
                (void)tty.input.next(*ev, true);
                wake_if_holding(tty);
                return TB_OK;
            }
            const ssize_t got = read(tty.fd, room.data(), room.size());
            if (got < 0 && errno != EINTR && errno != EAGAIN) return TB_ERR_READ;
            // A terminal that hung up stays readable for ever: report it instead of spinning.
            if (got == 0) return TB_ERR_READ;
            if (got > 0) tty.input.added(static_cast<std::size_t>(got));
        }
    }
}

void tty_fds(const Tty& tty, int* ttyfd, int* resizefd) {
    *ttyfd = tty.fd;
    *resizefd = tty.wake_read;
}

}  // namespace term_internal
