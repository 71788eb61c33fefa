// Replays the fuzzer's seeds and every input that ever made it fail.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "arguments_input.h"
#include "cli/cli_test_support.h"

namespace gorv {
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
    if (std::FILE* file = std::fopen(input.c_str(), "rb")) {
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            bytes.append(chunk, got);
        std::fclose(file);
    } else {
        ADD_FAILURE() << "cannot read " << input;
    }
    testing::CapturedFd messages(STDERR_FILENO);
    run_arguments_input(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(FuzzInputs, RegressionsStillPass) {
    for (const auto& input : inputs_in(GORV_FUZZ_DIR "/regressions")) {
        SCOPED_TRACE(input.string());
        replay(input);
    }
}

TEST(FuzzInputs, SeedsPass) {
    const auto seeds = inputs_in(GORV_FUZZ_DIR "/corpus");
    EXPECT_FALSE(seeds.empty());
    for (const auto& input : seeds) {
        SCOPED_TRACE(input.string());
        replay(input);
    }
}

}  // namespace
}  // namespace gorv
