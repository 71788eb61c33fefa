#include "render/random.h"

#include <bit>

namespace gorv {

void Random::reseed(std::uint64_t seed) {
    for (std::uint64_t k = 1; k <= 4; ++k) {
        std::uint64_t z = seed + k * 0x9E3779B97F4A7C15ULL;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        s_[k - 1] = z ^ (z >> 31);
    }
}

std::uint64_t Random::next() {
    const std::uint64_t result = std::rotl(s_[0] + s_[3], 23) + s_[0];
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = std::rotl(s_[3], 45);
    return result;
}

void Random::fill(std::span<std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::uint64_t word = next();
        for (int b = 0; b < 8 && i < bytes.size(); ++b, ++i) {
            bytes[i] = static_cast<std::uint8_t>(word);
            word >>= 8;
        }
    }
}

}  // namespace gorv
