#pragma once

#include "app/error.h"
#include "render/render_state.h"

namespace gorv {

// The opening sequence: 25 steps of 39,730,492 ns in which the name is revealed in the
// middle of the screen while a box glyph runs around it. Each step clears, draws and
// presents under the terminal lock.
[[nodiscard]] Status show_opening(RenderState& state);

}  // namespace gorv
