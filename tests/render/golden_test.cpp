// One debug frame of every style, mode and accent choice with seed 42 on 12 x 10,
// compared line by line with the committed files in golden/. Running the test with
// GORV_UPDATE_GOLDEN=1 rewrites the files instead.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "render/render_state.h"
#include "render/styles.h"
#include "support.h"

namespace gorv {
namespace {

using gorv::testing::CapturedFd;
using render_test::lines_of;

struct Named {
    const char* name;
    std::optional<std::vector<Accent>> accents;
};

const std::vector<Named> accent_choices = {
    {"absent", std::nullopt},
    {"bright,bold,dim", std::vector{Accent::bright, Accent::bold, Accent::dim}},
    {"pulse,bold,dim", std::vector{Accent::pulse, Accent::bold, Accent::dim}},
};

const std::vector<std::pair<const char*, Style>> styles = {
    {"default", Style::default_}, {"columns", Style::columns}, {"crypto", Style::crypto},
    {"grid", Style::grid},        {"blocks", Style::blocks},   {"rain", Style::rain},
};

const std::vector<std::pair<const char*, Mode>> modes = {
    {"binary", Mode::binary},
    {"decimal", Mode::decimal},
    {"hexadecimal", Mode::hexadecimal},
    {"textual", Mode::textual},
};

std::string debug_frame(Style style, Mode mode, const std::optional<std::vector<Accent>>& accents) {
    RenderState state;
    state.debug = true;
    state.width = 12;
    state.height = 10;
    state.style = style;
    state.mode = mode;
    state.accents = accents;
    state.random.reseed(42);
    EXPECT_TRUE(rebuild(state).has_value());
    CapturedFd capture;
    const Status drawn = style == Style::rain ? rain_frame(state) : static_frame(state);
    capture.restore();
    EXPECT_TRUE(drawn.has_value());
    return capture.text();
}

std::string golden_path(const char* style) {
    return std::string(GORV_RENDER_GOLDEN_DIR) + "/" + style + ".txt";
}

std::string frames_of(Style style) {
    std::string text;
    for (const auto& [mode_name, mode] : modes) {
        for (const Named& accents : accent_choices) {
            text += std::string("== ") + mode_name + " accents " + accents.name + "\n";
            text += debug_frame(style, mode, accents.accents);
        }
    }
    return text;
}

TEST(GoldenFrames, EveryStyleModeAndAccentChoice) {
    const bool update = std::getenv("GORV_UPDATE_GOLDEN") != nullptr;
    for (const auto& [style_name, style] : styles) {
        const std::string frames = frames_of(style);
        if (update) {
            std::ofstream(golden_path(style_name), std::ios::binary) << frames;
            continue;
        }
        std::ifstream file(golden_path(style_name), std::ios::binary);
        ASSERT_TRUE(file.good()) << golden_path(style_name);
        std::stringstream golden;
        golden << file.rdbuf();
        const std::vector<std::string> expected = lines_of(golden.str());
        const std::vector<std::string> actual = lines_of(frames);
        ASSERT_EQ(actual.size(), expected.size()) << style_name;
        for (std::size_t i = 0; i < actual.size(); ++i)
            ASSERT_EQ(actual[i], expected[i]) << style_name << " line " << i + 1;
    }
}

// The same choice gives the same frame every time.
TEST(GoldenFrames, RepeatableWithinOneProcess) {
    EXPECT_EQ(debug_frame(Style::rain, Mode::textual, accent_choices[2].accents),
              debug_frame(Style::rain, Mode::textual, accent_choices[2].accents));
}

}  // namespace
}  // namespace gorv
