// libFuzzer entry: arbitrary argument vectors through the parser and the conversion.

#include <cstddef>
#include <cstdint>

#include "arguments_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gorv::run_arguments_input(data, size);
    return 0;
}
