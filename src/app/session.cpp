#include "app/session.h"

#include <clocale>
#include <string>

#include "app/signals.h"
#include "core/log.h"
#include "core/terminal_lock.h"
#include "term/termbox2.h"

namespace gorv {

void open_session(const RenderState& state) {
    if (state.debug) {
        log_line("info", "gorv", "DEBUG MODE");
        return;
    }
    std::setlocale(LC_ALL, "");
    // Before the takeover begins: a termination signal from here on ends the run and gives
    // the terminal back, whenever it comes.
    catch_termination_signals();
    {
        std::lock_guard guard(terminal_lock());
        (void)tb_init();
    }
    hold_log_lines();
}

void suspend_session(RenderState& state, int signal_number) {
    {
        std::lock_guard guard(terminal_lock());
        (void)tb_shutdown();
    }
    stop_process(signal_number);
    // Continued: the SIGCONT that did it asks for nothing more.
    (void)take_continued();
    retake_session(state);
}

void retake_session(RenderState& state) {
    {
        std::lock_guard guard(terminal_lock());
        (void)tb_shutdown();
        (void)tb_init();
    }
    read_terminal_size(state);
}

namespace {

// Every way of giving the terminal back goes through here: the held log lines follow
// it, and the termination signals get their default actions again.
void give_back_terminal() {
    {
        std::lock_guard guard(terminal_lock());
        (void)tb_shutdown();
    }
    restore_termination_signals();
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
