// libFuzzer entry: compiled terminfo entries through the layer's reader and renderer.

#include <cstddef>
#include <cstdint>

#include "description_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gorv::run_description_input(data, size);
    return 0;
}
