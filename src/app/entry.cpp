#include "app/entry.h"

#include <csignal>
#include <ctime>

#include "app/log.h"
#include "app/run_state.h"
#include "app/session.h"
#include "app/settings.h"
#include "render/render_state.h"

namespace gorv {
namespace {

void ignore_signal(int) {}

// A handler rather than SIG_IGN: a write to a closed pipe then fails with EPIPE.
void install_sigpipe_handler() {
    struct sigaction action{};
    action.sa_handler = ignore_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    (void)sigaction(SIGPIPE, &action, nullptr);
}

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

}  // namespace

Status main_routine(std::span<char* const> /*arguments*/) {
    RunState run;
    RenderState render;
    const Settings settings;
    place_settings(settings, run, render);
    render.random.reseed(render.debug ? 42 : clock_seed());

    open_session(render);
    render.running = true;
    read_terminal_size(render);
    if (auto rebuilt = rebuild(render); !rebuilt) {
        close_session(render);
        return rebuilt;
    }
    if (below_minimum(render)) {
        render.running = false;
        log_insufficient_dimensions(render);
    }
    close_session(render);
    return {};
}

int entry(int argc, char** argv) {
    install_sigpipe_handler();
    const Status outcome = main_routine(std::span<char* const>(argv, static_cast<std::size_t>(argc)));
    if (outcome) return 0;
    report_error(outcome.error());
    return 1;
}

}  // namespace gorv
