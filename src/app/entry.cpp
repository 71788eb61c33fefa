#include "app/entry.h"

#include <csignal>
#include <ctime>

#include "app/command_line.h"
#include "app/job_control.h"
#include "app/session.h"
#include "app/threads.h"
#include "app/watcher.h"
#include "core/log.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "render/frame_loop.h"
#include "render/render_state.h"

namespace gorv {
namespace {

void ignore_signal(int) {}

// A handler rather than SIG_IGN: a write to a closed pipe then fails with EPIPE
// instead of ending the process.
void install_sigpipe_handler() {
    struct sigaction action{};
    action.sa_handler = ignore_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    (void)sigaction(SIGPIPE, &action, nullptr);
}

// Real-time milliseconds since the epoch, rounded down; 0 when the clock cannot be read.
std::uint64_t clock_seed() {
    timespec now{};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return 0;
    const std::int64_t milliseconds =
        static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
    return static_cast<std::uint64_t>(milliseconds);
}

void place_settings(const Settings& settings, RunState& run, RenderState& render) {
    run.time = settings.time;
    render.fg = static_cast<std::uint32_t>(settings.color);
    render.mode = settings.mode;
    render.style = settings.style;
    render.speed = settings.speed;
    render.bare = settings.bare;
    render.debug = settings.debug;
    render.accents = settings.accents;
}

// Starts the watcher, then the renderer, and joins the renderer, then the watcher.
Status run_threads(RunState& run, RenderState& render) {
    const Result<pthread_t> watcher = start_thread(run_watcher, run, render);
    if (!watcher) return std::unexpected(watcher.error());
    // From here on the watcher alone runs the handlers of the run's signals.
    const RunSignalsElsewhere waiting_only;
    const Result<pthread_t> renderer = start_thread(run_renderer, run, render);
    if (!renderer) {
        // The watcher runs until it ends the run by itself: a key, the duration, the
        // debug delay.
        (void)pthread_join(*watcher, nullptr);
        return std::unexpected(renderer.error());
    }
    (void)pthread_join(*renderer, nullptr);
    (void)pthread_join(*watcher, nullptr);
    return {};
}

// The steps between reading the command line and ending it.
Status run_screensaver(RunState& run, RenderState& render) {
    if (!open_session(render)) return {};
    render.running = true;
    read_terminal_size(render);
    if (Status rebuilt = rebuild(render); !rebuilt) {
        close_session(render);
        return rebuilt;
    }
    if (below_minimum(render)) {
        render.running = false;
        log_insufficient_dimensions(render);
    }
    Status outcome;
    if (render.running) outcome = run_threads(run, render);
    close_session(render);
    return outcome;
}

}  // namespace

Status main_routine(std::span<char* const> arguments) {
    RunState run;
    RenderState render;
    CommandLineStage stage;
    const Result<CommandLine> command_line = stage.read_command_line(arguments);
    if (!command_line) return std::unexpected(command_line.error());
    place_settings(command_line->settings, run, render);
    render.random.reseed(render.debug ? 42 : clock_seed());

    if (!command_line->answered) {
        if (Status ran = run_screensaver(run, render); !ran) return ran;
    }
    if (Status ended = stage.end_command_line(); !ended) return ended;
    if (command_line->rejected) return std::unexpected(Error::CommandLineRejected);
    return {};
}

int entry(int argc, char** argv) {
    install_sigpipe_handler();
    take_signal_state();
    const Status outcome =
        main_routine(std::span<char* const>(argv, static_cast<std::size_t>(argc)));
    if (!outcome) {
        // The parser's log line and usage display have reported a rejected command line.
        if (outcome.error() != Error::CommandLineRejected) report_error(outcome.error());
        return 1;
    }
    if (const int signal_number = terminating_signal(); signal_number != 0)
        return 128 + signal_number;
    return 0;
}

}  // namespace gorv
