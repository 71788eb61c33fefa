#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace gorv {

// The random source of the renderer: xoshiro256++ whose four state words are the first
// four outputs of SplitMix64 started at a seed value.
class Random {
  public:
    explicit Random(std::uint64_t seed = 0) { reseed(seed); }

    // A generator with the given state words s0 to s3 (for checking published outputs).
    [[nodiscard]] static Random from_state(const std::array<std::uint64_t, 4>& words);

    // Restarts the generator: the state words become the first four SplitMix64 outputs
    // for `seed`.
    void reseed(std::uint64_t seed);

    // One 64-bit output, taken before the state update.
    std::uint64_t next() {
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

    // Fills the bytes from successive outputs, least significant byte first; a request
    // or tail shorter than 8 bytes takes the low bytes of one further output.
    void fill(std::span<std::uint8_t> bytes);

  private:
    std::array<std::uint64_t, 4> s_{};
};

// The width of one draw made by uniform_below. It is chosen per call site, not derived
// from the bound: 7 uses bits3, 10 bits4, 73 byte, the width and 3 use u32.
enum class DrawWidth : std::uint8_t {
    bits3,  // a 1-byte draw masked to its low 3 bits
    bits4,  // a 1-byte draw masked to its low 4 bits
    byte,   // a whole 1-byte draw
    u32,    // a 4-byte draw read as a little-endian u32
};

// The number of bits k of a draw of the given width.
[[nodiscard]] constexpr unsigned draw_bits(DrawWidth width) {
    switch (width) {
        case DrawWidth::bits3:
            return 3;
        case DrawWidth::bits4:
            return 4;
        case DrawWidth::byte:
            return 8;
        case DrawWidth::u32:
            return 32;
    }
    return 32;
}

// A 1-byte fill: the low byte of one output.
template <class Source>
[[nodiscard]] std::uint8_t random_byte(Source& source) {
    return static_cast<std::uint8_t>(source.next());
}

// A 4-byte fill read as a little-endian u32: the low 32 bits of one output.
template <class Source>
[[nodiscard]] std::uint32_t random_u32(Source& source) {
    return static_cast<std::uint32_t>(source.next());
}

// The lowest bit of a 1-byte draw: 0 or 1.
template <class Source>
[[nodiscard]] std::uint32_t random_bit(Source& source) {
    return random_byte(source) & 1u;
}

// One k-bit draw of the given width.
template <class Source>
[[nodiscard]] std::uint64_t random_draw(Source& source, DrawWidth width) {
    switch (width) {
        case DrawWidth::bits3:
            return random_byte(source) & 0x7u;
        case DrawWidth::bits4:
            return random_byte(source) & 0xFu;
        case DrawWidth::byte:
            return random_byte(source);
        case DrawWidth::u32:
            return random_u32(source);
    }
    return random_u32(source);
}

// A uniform integer in [0, n) by multiply-and-reject on k-bit draws of the given width:
// x is a draw, m = x * n, l = m mod 2^k; when l < n, draws are repeated while
// l < (2^k - n) mod n. The result is m >> k. Expects n <= 2^k. A bound of 0 has no
// valid result: it gives 0 and makes no draw.
template <class Source>
[[nodiscard]] std::uint32_t uniform_below(Source& source, std::uint32_t n, DrawWidth width) {
    if (n == 0) return 0;
    const unsigned k = draw_bits(width);
    const std::uint64_t range = std::uint64_t{1} << k;
    std::uint64_t m = random_draw(source, width) * n;
    std::uint64_t l = m & (range - 1);
    if (l < n) {
        const std::uint64_t t = (range - n) % n;
        while (l < t) {
            m = random_draw(source, width) * n;
            l = m & (range - 1);
        }
    }
    return static_cast<std::uint32_t>(m >> k);
}

}  // namespace gorv
