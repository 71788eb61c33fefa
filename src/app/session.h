#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace gorv {

inline constexpr std::uint32_t debug_width = 12;
inline constexpr std::uint32_t debug_height = 10;
inline constexpr std::uint32_t minimum_width = 4;
inline constexpr std::uint32_t minimum_height = 2;

// Opens the terminal session: in debug mode logs "info(gorv): DEBUG MODE"; otherwise
// sets the locale from the environment and takes the terminal over. The result of the
// takeover is not examined: if it failed, reading the size fails and debug mode follows.
void open_session(const RenderState& state);

// Gives the terminal back and stops the process as the stop signal `signal_number` does;
// once continued, takes the terminal over again as retake_session does. The caller keeps
// the renderer from drawing meanwhile.
void suspend_session(RenderState& state, int signal_number);

// Takes the terminal over afresh (after the process was stopped and continued, the shell
// may have drawn on it and changed its modes) and reads the size, as after a resize: the
// next frame draws every cell. If the terminal cannot be taken again, debug mode follows.
void retake_session(RenderState& state);

// Reads the screen size into `width` and `height`: 12 x 10 in debug mode. When the size
// cannot be read it enters debug mode, closing the session and logging a warning.
void read_terminal_size(RenderState& state);

// Gives the terminal back, unless in debug mode (where it was never taken, or is
// already given back).
void close_session(const RenderState& state);

// True when the screen is too small to run on.
[[nodiscard]] inline bool below_minimum(const RenderState& state) {
    return state.width < minimum_width || state.height < minimum_height;
}

// Logs the warning that refuses a screen below the minimum, with its real size.
void log_insufficient_dimensions(const RenderState& state);

}  // namespace gorv
