#pragma once

// Which characters fill exactly one terminal column, decided without the locale.
// Internal to src/term.

#include <cstdint>

namespace term_internal {

// Whether the code point ch shows in exactly one column: printable ASCII, and from U+00A0
// up the characters that Unicode gives a narrow width (the C library's C.UTF-8 widths, held
// in a table). Controls, combining, wide and unassigned characters, surrogates and values
// beyond U+10FFFF do not.
bool is_one_column(std::uint32_t ch);

}  // namespace term_internal
