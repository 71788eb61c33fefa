#pragma once

#include "core/error.h"
#include "render/render_state.h"

namespace gorv {

// One frame body of the static styles (every style but rain): a new symbol in every
// cell outside the gap lists, column by column, top to bottom. Draws into the back
// buffer, or logs the cells in debug mode; the caller clears and presents, and holds
// the terminal lock. Allocates nothing. NoSpaceLeft when a symbol text does not fit.
[[nodiscard]] Status static_frame(RenderState& state);

// One frame body of the rain style. Builds the columns when there are none (outside
// debug mode active and empty, in debug mode inactive and full of symbols), then
// toggles at most two columns, moves each column on about half of the frames, and draws
// the visible cells. Allocates only while building. OutOfMemory when the columns cannot
// be built (the column list is then left empty), NoSpaceLeft when a symbol text does
// not fit.
[[nodiscard]] Status rain_frame(RenderState& state);

}  // namespace gorv
