#include "render/styles.h"

namespace gorv {

Status static_frame(RenderState&) { return {}; }

Status rain_frame(RenderState&) { return {}; }

}  // namespace gorv
