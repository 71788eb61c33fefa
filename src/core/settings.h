#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace gorv {

// Each value is the terminal library's colour number of the same name; there is no 1.
enum class Color : std::uint32_t {
    default_ = 0,
    red = 2,
    green = 3,
    blue = 5,
    yellow = 4,
    magenta = 6,
};

enum class Style : std::uint8_t {
    default_ = 0,
    columns = 1,
    crypto = 2,
    grid = 3,
    blocks = 4,
    rain = 5
};

enum class Mode : std::uint8_t { binary = 0, decimal = 1, hexadecimal = 2, textual = 3 };

enum class Accent : std::uint8_t { bold = 0, bright = 1, dim = 2, pulse = 3 };

enum class Speed : std::uint8_t { slow = 0, normal = 1, fast = 2 };

// What the user chose on the command line. The defaults are those of the options.
struct Settings {
    bool debug = false;
    bool bare = false;
    Color color = Color::default_;
    Style style = Style::default_;
    Mode mode = Mode::binary;
    std::uint32_t time = 0;  // seconds; 0 means no limit
    Speed speed = Speed::normal;
    std::optional<std::vector<Accent>> accents;  // absent unless the option was given
};

}  // namespace gorv
