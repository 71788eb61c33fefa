#pragma once

// How the screen is cleared on terminals whose description has no clear: ed from the top
// left where it has that, otherwise every cell written blank. Internal to src/term.

#include <string>

#include "term/frame_encoder.h"
#include "term/terminal_description.h"

namespace term_internal {

// The bytes that move the cursor to the top left: home, or the address of (0, 0).
std::string home_bytes(const TerminalDescription& d);

// The bytes that clear the screen and leave the cursor at the top left: clear, or ed from
// the top left; empty when the description has neither. Throws std::bad_alloc when memory
// runs out.
std::string clear_bytes(const TerminalDescription& d);

// The bytes that write every cell of a w x h screen blank in the default colours, whatever
// the screen showed, and then home the cursor: the clear of a terminal that has no other.
// `encoder` is d's. Throws std::bad_alloc when memory runs out.
std::string blank_screen(const FrameEncoder& encoder, const TerminalDescription& d, int w, int h);

}  // namespace term_internal
