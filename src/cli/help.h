#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "cli/command.h"
#include "cli/writer.h"
#include "core/error.h"

namespace gorv {

// The sections of a help display.
enum class HelpSection : std::uint8_t {
    preamble,
    header,
    aliases,
    examples,
    subcommands,
    options,
    values,
};

// The order in which write_help writes its sections.
inline constexpr std::array help_section_order{
    HelpSection::preamble,    HelpSection::header,  HelpSection::aliases, HelpSection::examples,
    HelpSection::subcommands, HelpSection::options, HelpSection::values,
};

// The name in block letters: seven lines, each with its line feed, then an empty line.
inline constexpr std::string_view banner =
    "\n"
    "\n"
    " ░██████ ░██████ ░█████ ░██░██\n"
    " ░██ ░██ ░██ ░██ ░██    ░██░██\n"
    " ░██████ ░██ ░██ ░██    ░██░██\n"
    "     ░██ ░██ ░██ ░██     ░███\n"
    " ░██████ ░██████ ░██      ░█\n"
    "\n";

// Writes the help display of the command and flushes the writer. Fails with
// CommandNotInitialized (before writing anything), OutOfMemory (the listings' working
// storage) or the writer's error; what was written before a failure stays written.
[[nodiscard]] Status write_help(const Command& command, Writer& out);

// Writes one option entry: the capitalised name and ":", then on two further lines
// (indented by twelve spaces) its usage line and its description. No indentation before
// the name and no final line feed. Returns the writer's first failure.
Status write_option_help(const Option& option, Writer& out);

// Writes one value entry: "name (type): description", no final line feed. Returns the
// writer's first failure.
Status write_value_help(const Value& value, Writer& out);

// Writes the line "     |title|". Returns the writer's first failure.
Status write_group_title(Writer& out, std::string_view title);

// Writes the texts separated by ", "; nothing for an empty list. Returns the
// writer's first failure.
Status write_joined(Writer& out, std::span<const std::string_view> texts);

}  // namespace gorv
