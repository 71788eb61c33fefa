#pragma once

#include <cstdint>

#include "render/render_state.h"

namespace gorv {

inline constexpr std::uint32_t debug_width = 12;
inline constexpr std::uint32_t debug_height = 10;
inline constexpr std::uint32_t minimum_width = 4;
inline constexpr std::uint32_t minimum_height = 2;

// Opens the terminal session: in debug mode logs "info(gorv): DEBUG MODE"; otherwise
// sets the locale from the environment, catches the run's signals and takes the terminal
// over once the process is in its foreground (job_control.h). A takeover that the terminal
// layer refuses is not examined further: reading the size then fails and debug mode
// follows. False when the run ends before it began: a termination signal came while the
// process waited for the foreground, or it cannot wait (the signals are then restored).
[[nodiscard]] bool open_session(const RenderState& state);

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
