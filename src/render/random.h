#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gorv {

// The random source of the renderer: xoshiro256++ whose four state words are the first
// four outputs of SplitMix64 started at the seed.
class Random {
public:
    explicit Random(std::uint64_t seed = 0) { reseed(seed); }

    void reseed(std::uint64_t seed);

    // One 64-bit output, before the state update.
    std::uint64_t next();

    // Fills the bytes from successive outputs, least significant byte first; a request
    // or tail shorter than 8 bytes takes the low bytes of one further output.
    void fill(std::span<std::uint8_t> bytes);

private:
    std::uint64_t s_[4];
};

}  // namespace gorv
