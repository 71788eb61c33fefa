#pragma once

#include <cstdint>

#include "core/run_state.h"
#include "render/render_state.h"

namespace gorv {

inline constexpr int input_poll_timeout_ms = 100;
// Half the frame step (opening_step_ns, 39,730,492 ns), the unit of the watcher's waits.
inline constexpr std::uint32_t resize_wait_step_ns = 19'865'246;
inline constexpr std::uint32_t debug_exit_delay_ns = 10 * resize_wait_step_ns;

// The watcher thread's body: rebuilds the render state, lets the renderer begin, then
// ends the run on a key press, a termination signal or the end of the duration, and
// handles resizes while the renderer holds still. In debug mode it reads no input and
// ends the run after the debug exit delay. When it fails it reports the error and ends
// the run, so that nothing is left waiting for it.
void run_watcher(RunState& run, RenderState& render);

}  // namespace gorv
