#include "render/opening.h"

namespace gorv {

Status show_opening(RenderState&) { return {}; }

}  // namespace gorv
