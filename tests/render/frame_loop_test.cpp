// The frame delay of each style and speed.
#include "render/frame_loop.h"

#include <gtest/gtest.h>

namespace gorv {
namespace {

TEST(FrameDelay, FollowsTheTablePerStyleAndSpeed) {
    struct Case {
        Style style;
        Speed speed;
        std::uint32_t nanoseconds;
    };
    const Case cases[] = {
        {Style::rain, Speed::slow, 794'609'840},    {Style::rain, Speed::normal, 119'191'476},
        {Style::rain, Speed::fast, 39'730'492},     {Style::default_, Speed::slow, 238'382'952},
        {Style::blocks, Speed::normal, 79'460'984}, {Style::grid, Speed::fast, 39'730'492},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame_delay_ns(c.style, c.speed), c.nanoseconds);
}

}  // namespace
}  // namespace gorv
