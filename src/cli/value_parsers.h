#pragma once

#include <cstdint>
#include <string_view>

#include "cli/command.h"
#include "core/error.h"
#include "core/settings.h"

namespace gorv {

// Stores the entries of one argument text: a `multi` value is split at the first of its
// separators that occurs (pieces are split again the same way), each piece is converted
// and then stored by the value's set behaviour; entries past `max_entries` are dropped.
// Fails with CannotParseArgToValue (parse function or flag text), InvalidCharacter or
// Overflow (unsigned text); entries stored before the failing piece stay stored.
[[nodiscard]] Status set_value(Value& value, std::string_view text);

// Marks a value as given without an argument. Fails with NotEmpty once an argument has
// been stored.
[[nodiscard]] Status set_empty(Value& value);

// The enumeration names, exact and case-sensitive, after removing spaces, tabs and NUL
// bytes at both ends. Fail with EnumTagDoesNotExist.
[[nodiscard]] Result<Color> parse_color(std::string_view text);
[[nodiscard]] Result<Style> parse_style(std::string_view text);
[[nodiscard]] Result<Mode> parse_mode(std::string_view text);
[[nodiscard]] Result<Accent> parse_accent(std::string_view text);
[[nodiscard]] Result<Speed> parse_speed(std::string_view text);

// An unsigned 32-bit number: optional sign ("-" only for zero), optional 0x/0o/0b
// prefix, "_" between digits. Fails with InvalidCharacter or Overflow.
[[nodiscard]] Result<std::uint32_t> parse_unsigned(std::string_view text);

}  // namespace gorv
