#include "app/watcher.h"

#include <poll.h>
#include <unistd.h>

#include <ctime>

#include "app/job_control.h"
#include "app/session.h"
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

// What the watcher wakes up for: a terminal event, or a job step to carry out.
struct Wakeup {
    tb_event event{};  // a key (also for a termination signal) or a resize
    JobStep job{};     // a stop to carry out, or a continue to take the terminal again for
};

// Waits up to the poll timeout for input, a resize or a signal without holding the
// terminal lock, then takes whatever is ready, job steps first. A termination signal is
// reported as a key press, and so is a terminal that has gone away. A terminal with
// descriptors is asked for an event only when one of them is ready.
Wakeup next_wakeup() {
    Wakeup wakeup;
    int tty = -1;
    int resize = -1;
    {
        std::lock_guard terminal(terminal_lock());
        (void)tb_get_fds(&tty, &resize);
    }
    pollfd fds[] = {{tty, POLLIN, 0}, {resize, POLLIN, 0}, {signal_wake_fd(), POLLIN, 0}};
    int ready = 0;
    wakeup.job = next_job_step();
    if (wakeup.job.kind == JobStep::Kind::none) {
        ready = ::poll(fds, 3, input_poll_timeout_ms);
        // Emptied before the record is read: a signal recorded after this leaves its byte.
        if ((fds[2].revents & POLLIN) != 0) {
            char bytes[16];
            while (::read(fds[2].fd, bytes, sizeof bytes) > 0) {
            }
        }
        wakeup.job = next_job_step();
    }
    const bool hung_up = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (wakeup.job.kind == JobStep::Kind::terminate || hung_up) {
        wakeup.job = {};
        wakeup.event.type = TB_EVENT_KEY;
        return wakeup;
    }
    if (wakeup.job.kind != JobStep::Kind::none) return wakeup;
    // Without descriptors (the in-memory screen) the terminal is asked every time.
    const bool has_descriptors = tty >= 0 || resize >= 0;
    if (has_descriptors && (ready <= 0 || ((fds[0].revents | fds[1].revents) & POLLIN) == 0))
        return wakeup;
    std::lock_guard terminal(terminal_lock());
    (void)tb_peek_event(&wakeup.event, 0);
    return wakeup;
}

// Keeps the renderer between frames while `change` alters the terminal or the render
// state, then rebuilds the state for the size it finds. When `change` says the run must
// end, `running` is cleared before `resizing`, so that the renderer ends without a frame.
template <typename Change>
Status between_frames(RunState& run, RenderState& render, Change change) {
    run.resizing = true;
    while (render.drawing)
        sleep_nanoseconds(resize_wait_step_ns);
    if (!change()) {
        render.running = false;
    } else if (Status rebuilt = rebuild(render); !rebuilt) {
        return rebuilt;
    }
    run.resizing = false;
    return {};
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

        const Wakeup wakeup = next_wakeup();
        const tb_event& event = wakeup.event;
        // After a stop or a continue the size is read as after a resize: the next frame
        // draws every cell.
        Status changed;
        if (wakeup.job.kind == JobStep::Kind::suspend) {
            changed = between_frames(run, render, [&] {
                if (!suspend_terminal(wakeup.job.signal)) return false;
                read_terminal_size(render);
                return true;
            });
        } else if (wakeup.job.kind == JobStep::Kind::resume) {
            changed = between_frames(run, render, [&] {
                if (!resume_terminal()) return false;
                read_terminal_size(render);
                return true;
            });
        } else if (event.type == TB_EVENT_RESIZE) {
            changed = between_frames(run, render, [&] {
                read_terminal_size(render);
                return true;
            });
        }
        if (!changed) return fail(run, render, changed.error());
        if (event.type == TB_EVENT_KEY) {
            render.running = false;
            return;
        }
        if (!render.running) return;
    }
}

}  // namespace gorv
