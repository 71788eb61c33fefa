#pragma once

#include <cstddef>
#include <cstdint>

namespace gorv {

// Runs one fuzz input through the command line: the bytes, cut at NUL bytes, are the
// arguments after the program's name (at most 64 of them). Parses them into the
// program's tree, then converts the tree into the settings, and aborts when a rule of
// the parse result does not hold. Messages go to standard error as usual.
void run_arguments_input(const std::uint8_t* data, std::size_t size);

}  // namespace gorv
