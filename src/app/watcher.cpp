#include "app/watcher.h"

#include <poll.h>

#include <ctime>

#include "app/session.h"
#include "app/signals.h"
#include "core/log.h"
#include "core/sleep.h"
#include "core/terminal_lock.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

bool read_clock(std::uint64_t& nanoseconds) {
    timespec now{};
    if (::clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
    nanoseconds = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
                  static_cast<std::uint64_t>(now.tv_nsec);
    return true;
}

// Waits up to the poll timeout for input, a resize or a termination signal without
// holding the terminal lock, then takes whatever event is ready. A termination signal
// is reported as a key press, and so is a terminal that has gone away.
tb_event next_event() {
    tb_event event{};
    int tty = -1;
    int resize = -1;
    {
        std::lock_guard terminal(terminal_lock());
        (void)tb_get_fds(&tty, &resize);
    }
    pollfd fds[] = {{tty, POLLIN, 0}, {resize, POLLIN, 0}, {termination_fd(), POLLIN, 0}};
    if (caught_signal() == 0) (void)::poll(fds, 3, input_poll_timeout_ms);
    const bool hung_up = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (caught_signal() != 0 || hung_up) {
        event.type = TB_EVENT_KEY;
        return event;
    }
    std::lock_guard terminal(terminal_lock());
    (void)tb_peek_event(&event, 0);
    return event;
}

// Ends the run after a failure: the renderer must not wait for a watcher that is gone.
void fail(RunState& run, RenderState& render, Error error) {
    report_error(error);
    render.running = false;
    run.resizing = false;
    run.starting = false;
}

}  // namespace

void run_watcher(RunState& run, RenderState& render) {
    if (Status rebuilt = rebuild(render); !rebuilt) return fail(run, render, rebuilt.error());
    std::uint64_t start = 0;
    if (!read_clock(start)) return fail(run, render, Error::TimerUnsupported);
    const std::uint64_t duration = run.time;
    run.starting = false;
    if (!render.running) return;

    std::uint64_t latest = start;
    for (;;) {
        if (std::uint64_t now = 0; read_clock(now) && now > latest) latest = now;
        const std::uint64_t elapsed_seconds = (latest - start) / 1'000'000'000u;
        if (duration != 0 && elapsed_seconds >= duration) {
            render.running = false;
            if (render.debug) return;
        } else if (render.debug) {
            sleep_nanoseconds(debug_exit_delay_ns);
            log_line("info", "gorv", "Exiting...");
            render.running = false;
            return;
        }

        const tb_event event = next_event();
        if (event.type == TB_EVENT_RESIZE) {
            run.resizing = true;
            while (render.drawing)
                sleep_nanoseconds(resize_wait_step_ns);
            read_terminal_size(render);
            if (Status rebuilt = rebuild(render); !rebuilt)
                return fail(run, render, rebuilt.error());
            run.resizing = false;
        } else if (event.type == TB_EVENT_KEY) {
            render.running = false;
            return;
        }
        if (!render.running) return;
    }
}

}  // namespace gorv
