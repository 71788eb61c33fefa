#pragma once

// The key codes of escape sequences, as termbox2 numbers them: from 0xFFFF down. Internal
// to src/term; the program treats every key alike.

#include <cstdint>

namespace term_internal {

inline constexpr std::uint16_t code_f1 = 0xFFFF;  // F2 to F12 follow downwards
inline constexpr std::uint16_t code_insert = 0xFFFF - 12;
inline constexpr std::uint16_t code_delete = 0xFFFF - 13;
inline constexpr std::uint16_t code_home = 0xFFFF - 14;
inline constexpr std::uint16_t code_end = 0xFFFF - 15;
inline constexpr std::uint16_t code_page_up = 0xFFFF - 16;
inline constexpr std::uint16_t code_page_down = 0xFFFF - 17;
inline constexpr std::uint16_t code_arrow_up = 0xFFFF - 18;
inline constexpr std::uint16_t code_arrow_down = 0xFFFF - 19;
inline constexpr std::uint16_t code_arrow_left = 0xFFFF - 20;
inline constexpr std::uint16_t code_arrow_right = 0xFFFF - 21;
inline constexpr std::uint16_t code_back_tab = 0xFFFF - 22;

// Any other complete escape sequence (a control sequence or a single shift, such as a key
// with modifiers) that no description names.
inline constexpr std::uint16_t code_other_sequence = 0xFF00;

}  // namespace term_internal
