#pragma once

#include <cstdint>

#include "core/run_state.h"
#include "core/settings.h"
#include "render/opening.h"
#include "render/render_state.h"

namespace gorv {

// The unit of every frame delay, and the length of one start-wait step.
inline constexpr std::uint32_t frame_step_ns = opening_step_ns;

// The delay slept after each frame, by style and speed.
[[nodiscard]] constexpr std::uint32_t frame_delay_ns(Style style, Speed speed) {
    const bool rain = style == Style::rain;
    switch (speed) {
        case Speed::slow:
            return (rain ? 20u : 6u) * frame_step_ns;
        case Speed::normal:
            return (rain ? 3u : 2u) * frame_step_ns;
        case Speed::fast:
            return frame_step_ns;
    }
    return frame_step_ns;
}

// The renderer thread's body: waits for the watcher, shows the opening unless the run
// is bare, timed or in debug mode, then draws frames until `running` is cleared. A failed
// frame is reported with report_error and ends the thread, leaving `running` alone.
void run_renderer(RunState& run, RenderState& render);

}  // namespace gorv
