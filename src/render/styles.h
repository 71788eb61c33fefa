#pragma once

#include "app/error.h"
#include "render/render_state.h"

namespace gorv {

// One frame body of the static styles (every style but rain): a new symbol in every
// cell outside the gap lists, column by column, top to bottom. Draws into the back
// buffer (or logs cells in debug mode); the caller clears and presents.
[[nodiscard]] Status static_frame(RenderState& state);

// One frame body of the rain style: builds the columns when there are none, then the
// toggle, move and draw steps. OutOfMemory when the columns cannot be built.
[[nodiscard]] Status rain_frame(RenderState& state);

}  // namespace gorv
