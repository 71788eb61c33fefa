#include "app/session.h"

#include <clocale>
#include <string>

#include "app/log.h"
#include "app/terminal_lock.h"
#include "term/termbox2.h"

namespace gorv {

void open_session(const RenderState& state) {
    if (state.debug) {
        log_line("info", "gorv", "DEBUG MODE");
        return;
    }
    std::setlocale(LC_ALL, "");
    std::lock_guard guard(terminal_lock());
    (void)tb_init();
}

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
        {
            std::lock_guard guard(terminal_lock());
            (void)tb_shutdown();
        }
        log_line("warning", "gorv", "Unable to read terminal size! Debug mode activated.");
    }
    state.width = debug_width;
    state.height = debug_height;
}

void close_session(const RenderState& state) {
    if (state.debug) return;
    std::lock_guard guard(terminal_lock());
    (void)tb_shutdown();
}

void log_insufficient_dimensions(const RenderState& state) {
    const std::string width = std::to_string(state.width);
    const std::string height = std::to_string(state.height);
    log_pieces({"warning(gorv): Insufficient terminal dimensions: W ", width, ", H ", height, "\n"});
}

}  // namespace gorv
