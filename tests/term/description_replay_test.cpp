// Replays the description fuzzer's seeds and every input that ever made it fail.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "description_input.h"

namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.is_regular_file() && entry.path().filename() != ".gitkeep") {
            inputs.push_back(entry.path());
        }
    }
    return inputs;
}

void replay(const std::filesystem::path& input) {
    std::string bytes;
    std::FILE* file = std::fopen(input.c_str(), "rb");
    ASSERT_NE(file, nullptr) << "cannot read " << input;
    char chunk[4096];
    for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.append(chunk, got);
    std::fclose(file);
    gorv::run_description_input(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(DescriptionFuzzInputs, RegressionsStillPass) {
    for (const auto& input : inputs_in(GORV_FUZZ_DIR "/description_regressions")) {
        SCOPED_TRACE(input.string());
        replay(input);
    }
}

TEST(DescriptionFuzzInputs, SeedsPass) {
    const auto seeds = inputs_in(GORV_FUZZ_DIR "/description_corpus");
    EXPECT_FALSE(seeds.empty());
    for (const auto& input : seeds) {
        SCOPED_TRACE(input.string());
        replay(input);
    }
}

}  // namespace
