#pragma once

#include <cstdint>

#include "core/error.h"
#include "render/render_state.h"

namespace gorv {

// Number of steps of the opening sequence, and the length of each: the frame step of
// 39,730,492 ns (about 1/25 s). Every frame delay is a whole number of frame steps
// (frame_delay_ns: 1 at fast, 2 at normal and 6 at slow, or 3 and 20 for rain), and its
// half, 19,865,246 ns, is the watcher's resize wait step (resize_wait_step_ns), of
// which the debug exit delay is ten.
inline constexpr std::uint32_t opening_steps = 25;
inline constexpr std::uint32_t opening_step_ns = 39'730'492;

// Draws step k (0 to 24) of the opening sequence on the back buffer, or as log lines in
// debug mode, without clearing, presenting or locking: the four name cells around the
// centre (width / 2, height / 2), letter i of "GORV" in bold once k reaches 6, 11, 16
// and 21 and a new symbol before that, then the box glyph of step k. Positions are
// computed in unsigned 32-bit arithmetic; one that falls off the screen is not drawn.
// NoSpaceLeft when a symbol text does not fit.
[[nodiscard]] Status draw_opening_step(RenderState& state, std::uint32_t k);

// The opening sequence: 25 steps, each a sleep of 39,730,492 ns followed by tb_clear,
// draw_opening_step and tb_present under the terminal lock, which is released before
// the next sleep. Stops at the first failed step and returns its error.
[[nodiscard]] Status show_opening(RenderState& state);

}  // namespace gorv
