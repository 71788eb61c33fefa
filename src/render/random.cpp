#include "render/random.h"

namespace gorv {

Random Random::from_state(const std::array<std::uint64_t, 4>& words) {
    Random random;
    random.s_ = words;
    return random;
}

void Random::reseed(std::uint64_t seed) {
    for (std::uint64_t k = 1; k <= 4; ++k) {
        std::uint64_t z = seed + k * 0x9E3779B97F4A7C15ULL;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        s_[k - 1] = z ^ (z >> 31);
    }
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
