#pragma once

#include <string_view>

#include "cli/command.h"
#include "cli/writer.h"
#include "core/error.h"

namespace gorv {

// The program's name in a light box: heads every usage display and is the help preamble
// of the root command and of version. No line feed after the last line.
inline constexpr std::string_view title_box = "┌────┐\n│gorv│\n└────┘";

// The type text of a value: its type alias, or else the name of its kind ("bool", "u32").
[[nodiscard]] std::string_view type_text(const Value& value);

// Writes the usage display of the command: the title box, "USAGE:", the bracketed option
// list and the bracketed sub-command list. Does not flush. Returns the writer's first failure.
[[nodiscard]] Status write_usage(const Command& command, Writer& out);

// Writes the one-line usage of an option, such as "-c, --color <string>", without a
// line feed. Returns the writer's first failure.
Status write_option_usage(const Option& option, Writer& out);

// Writes a short name as the UTF-8 encoding of the code point equal to its byte.
Status write_short_name(char short_name, Writer& out);

}  // namespace gorv
