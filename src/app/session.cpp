#include "app/session.h"

#include <clocale>
#include <string>

#include "app/job_control.h"
#include "core/log.h"
#include "core/terminal_lock.h"
#include "term/termbox2.h"

namespace gorv {

bool open_session(const RenderState& state) {
    if (state.debug) {
        log_line("info", "gorv", "DEBUG MODE");
        return true;
    }
    std::setlocale(LC_ALL, "");
    // Before the takeover begins: a termination signal from here on ends the run and gives
    // the terminal back, whenever it comes.
    catch_run_signals();
    if (take_terminal() == Takeover::abandoned) {
        restore_run_signals();
        return false;
    }
    hold_log_lines();
    return true;
}

namespace {

// Every way of giving the terminal back at the end goes through here: the held log lines
// follow it, and the run's signals get the dispositions found again.
void give_back_terminal() {
    give_terminal_back();
    restore_run_signals();
    release_log_lines();
}

}  // namespace

void read_terminal_size(RenderState& state) {
    int w = 0;
    int h = 0;
    {
        std::lock_guard guard(terminal_lock());
        w = tb_width();
        h = tb_height();
    }
    if (!state.debug && w >= 0 && h >= 0) {
        state.width = static_cast<std::uint32_t>(w);
        state.height = static_cast<std::uint32_t>(h);
        return;
    }
    if (!state.debug) {
        state.debug = true;
        give_back_terminal();
        log_line("warning", "gorv", "Unable to read terminal size! Debug mode activated.");
    }
    state.width = debug_width;
    state.height = debug_height;
}

void close_session(const RenderState& state) {
    if (state.debug) return;
    give_back_terminal();
}

void log_insufficient_dimensions(const RenderState& state) {
    const std::string width = std::to_string(state.width);
    const std::string height = std::to_string(state.height);
    log_pieces(
        {"warning(gorv): Insufficient terminal dimensions: W ", width, ", H ", height, "\n"});
}

}  // namespace gorv
