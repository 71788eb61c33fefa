#pragma once

#include <cstddef>
#include <cstdint>

namespace gorv {

// Runs one fuzz input through the terminal layer's reader of descriptions and its
// renderer. The input is three bytes (a screen width of 1 to 16, a height of 1 to 8, a seed
// for the frames) and then a compiled terminfo entry, which is written into a private
// TERMINFO folder (made once per process) and read as the layer reads TERM, in a child
// process that serves the reads, where faults of ncurses' own reader on corrupt entries end
// only the child and the input is passed over. When the layer can use the entry, a few random
// frames are encoded into a buffer of the size the layer gives it. The whole input is also parsed
// as one capability text. Aborts when a rule does not hold: a frame larger than its buffer, an
// expansion longer than its bound, or an expansion that differs from ncurses' tiparm.
void run_description_input(const std::uint8_t* data, std::size_t size);

}  // namespace gorv
