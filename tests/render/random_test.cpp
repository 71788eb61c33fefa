#include "render/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "support.h"

namespace gorv {
namespace {

using render_test::Reference;
using render_test::Scripted;

// Published first outputs of SplitMix64 started at 0.
constexpr std::array<std::uint64_t, 4> splitmix64_from_0 = {
    0xE220A8397B1DCDAFULL, 0x6E789E6AA1B965F4ULL, 0x06C45D188009454FULL, 0xF88BB8A8724C81ECULL};

TEST(Random, PublishedXoshiroOutputsFromStateOneToFour) {
    constexpr std::array<std::uint64_t, 10> expected = {
        41943041ULL,
        58720359ULL,
        3588806011781223ULL,
        3591011842654386ULL,
        9228616714210784205ULL,
        9973669472204895162ULL,
        14011001112246962877ULL,
        12406186145184390807ULL,
        15849039046786891736ULL,
        10450023813501588000ULL,
    };
    Random random = Random::from_state({1, 2, 3, 4});
    for (const std::uint64_t value : expected)
        EXPECT_EQ(random.next(), value);
}

TEST(Random, SeedingTakesTheFirstFourSplitMixOutputs) {
    Random seeded(0);
    Random direct = Random::from_state(splitmix64_from_0);
    // The first output is rotl(s0 + s3, 23) + s0 of the published words.
    const std::uint64_t sum = splitmix64_from_0[0] + splitmix64_from_0[3];
    EXPECT_EQ(seeded.next(), ((sum << 23) | (sum >> 41)) + splitmix64_from_0[0]);
    (void)direct.next();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(seeded.next(), direct.next());
}

TEST(Random, MatchesTheReferenceForSeveralSeeds) {
    for (const std::uint64_t seed : {0ULL, 42ULL, 1733790000123ULL, ~0ULL}) {
        Random random(seed);
        Reference reference(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(random.next(), reference.next()) << seed;
    }
    Random reseeded(7);
    reseeded.reseed(42);
    EXPECT_EQ(reseeded.next(), 0xD0764D4F4476689FULL);
}

// Each request size against the rule: whole outputs least significant byte first, and
// the low bytes of one further output for a tail.
TEST(Random, FillTakesBytesLeastSignificantFirst) {
    for (const std::size_t size : {0u, 1u, 4u, 7u, 8u, 9u, 16u, 21u}) {
        Random random(42);
        Reference reference(42);
        std::vector<std::uint8_t> bytes(size);
        random.fill(bytes);
        std::vector<std::uint8_t> expected;
        while (expected.size() < size) {
            const std::uint64_t word = reference.next();
            for (int b = 0; b < 8 && expected.size() < size; ++b)
                expected.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
        }
        EXPECT_EQ(bytes, expected) << size;
        // The request consumed exactly the outputs it touched.
        EXPECT_EQ(random.next(), reference.next()) << size;
    }
}

TEST(Random, DrawsAreOneOutputFillsOfOneOrFourBytes) {
    Random filled(42);
    Random drawn(42);
    for (int i = 0; i < 200; ++i) {
        std::array<std::uint8_t, 1> one{};
        filled.fill(one);
        if (i % 2 == 0) {
            ASSERT_EQ(random_byte(drawn), one[0]);
        } else {
            ASSERT_EQ(random_bit(drawn), one[0] & 1u);
        }
        std::array<std::uint8_t, 4> four{};
        filled.fill(four);
        std::uint32_t little_endian = 0;
        for (int b = 3; b >= 0; --b)
            little_endian = (little_endian << 8) | four[static_cast<std::size_t>(b)];
        ASSERT_EQ(random_u32(drawn), little_endian);
    }
}

TEST(Random, RandomBitIsTheLowestBitOfTheLowByte) {
    Scripted source{{0xFFFFFFFFFFFFFF01ULL, 0x00000000000000FEULL, 0x0100ULL}};
    EXPECT_EQ(random_bit(source), 1u);
    EXPECT_EQ(random_bit(source), 0u);
    EXPECT_EQ(random_bit(source), 0u);
}

// Worked by hand from x = draw, m = x * n, l = m mod 2^k, t = (2^k - n) mod n.
struct UniformCase {
    const char* name;
    std::uint32_t n;
    DrawWidth width;
    std::vector<std::uint64_t> outputs;
    std::uint32_t result;
    std::size_t draws;
};

TEST(Random, UniformBelowHandWorkedCases) {
    const std::vector<UniformCase> cases = {
        // 7 on 3 bits, t = 1: only x = 0 is rejected.
        {"7: x=0 rejected, then x=7 gives 49>>3", 7, DrawWidth::bits3, {0x08, 0xFF0F}, 6, 2},
        {"7: masked to 3 bits, x=5 gives 35>>3", 7, DrawWidth::bits3, {0xABCDEF05}, 4, 1},
        {"7: x=1 gives 7>>3", 7, DrawWidth::bits3, {0x01}, 0, 1},
        // 10 on 4 bits, t = 6: x = 2 (l 4) and x = 5 (l 2) are rejected, x = 15 (l 6) kept.
        {"10: two rejections then x=15", 10, DrawWidth::bits4, {0x12, 0xF5, 0x1F}, 9, 3},
        {"10: x=3 has l 14 >= 10", 10, DrawWidth::bits4, {0x43}, 1, 1},
        // 73 on a whole byte, t = 37: x = 4 (l 36) rejected, x = 255 (l 183) kept.
        {"73: x=4 rejected, then x=255", 73, DrawWidth::byte, {0x104, 0xFF}, 72, 2},
        {"73: x=3 gives 219>>8", 73, DrawWidth::byte, {0x03}, 0, 1},
        // 12 on 32 bits, t = 2^32 mod 12 = 4: l = 0 rejected, l = 8 kept.
        {"12: x=2^31 rejected, then l 8", 12, DrawWidth::u32, {0x80000000, 0x15555556}, 1, 2},
        {"12: high half ignored", 12, DrawWidth::u32, {0xDEADBEEFFFFFFFFFULL}, 11, 1},
        // 3 on 32 bits, t = 1.
        {"3: x=0 rejected", 3, DrawWidth::u32, {0x700000000ULL, 0xFFFFFFFF}, 2, 2},
        {"1: never rejected", 1, DrawWidth::u32, {0}, 0, 1},
    };
    for (const UniformCase& c : cases) {
        Scripted source{c.outputs};
        EXPECT_EQ(uniform_below(source, c.n, c.width), c.result) << c.name;
        EXPECT_EQ(source.taken, c.draws) << c.name;
    }
}

TEST(Random, UniformBelowSevenMapsEveryThreeBitDraw) {
    // x = 1..7 give 7x >> 3 = 0..6; x = 0 is rejected and takes the next draw.
    for (std::uint64_t x = 1; x < 8; ++x) {
        Scripted source{{x | 0xF0}};
        EXPECT_EQ(uniform_below(source, 7, DrawWidth::bits3), x - 1);
    }
}

TEST(Random, UniformBelowZeroMakesNoDraw) {
    Scripted source{{}};
    EXPECT_EQ(uniform_below(source, 0, DrawWidth::u32), 0u);
    EXPECT_EQ(source.taken, 0u);
}

}  // namespace
}  // namespace gorv
