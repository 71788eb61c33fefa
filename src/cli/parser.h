#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "cli/command.h"
#include "cli/writer.h"
#include "core/error.h"

namespace gorv {

// The process arguments, read once from left to right. The first argument is the
// program's own name. `options_ended` is set by "--" and stays set for the whole parse,
// sub-commands included.
class ArgumentCursor {
  public:
    // The arguments must outlive the cursor; a null pointer reads as an empty argument.
    explicit ArgumentCursor(std::span<char* const> arguments) : arguments_(arguments) {}

    // True while nothing has been taken.
    [[nodiscard]] bool at_start() const { return position_ == 0; }
    // The next argument without taking it; none at the end.
    [[nodiscard]] std::optional<std::string_view> peek() const;
    // Takes the next argument; none at the end.
    [[nodiscard]] std::optional<std::string_view> take();

    bool options_ended = false;

  private:
    std::span<char* const> arguments_;
    std::size_t position_ = 0;
};

// Parses the command's arguments from the cursor into the tree: selects sub-commands and
// stores option arguments. When the arguments are used up and the usage or the help
// display was asked for (usage first), writes it, flushes and returns UsageHelpCalled.
// A malformed command line is reported as one "error(pelk): " line on standard error,
// followed by the command's usage display (or the option's usage line), a flush and
// CommandLineRejected. Returns without a message EmptyArgumentProvidedToOption for "=" with
// nothing after it, and the conversion error (CannotParseArgToValue, InvalidCharacter,
// Overflow) of an argument attached to a letter of a bundle. Also fails with
// CommandNotInitialized, OutOfMemory or the writer's error.
[[nodiscard]] Status parse_arguments(ArgumentCursor& cursor, Command& command, Writer& out);

// True when the command's selected sub-command has the name, or when a bool option of
// that name holds true (given, or by default).
[[nodiscard]] bool is_requested(const Command& command, std::string_view name);

// The value's first stored entry when it was given an argument, otherwise its default
// value, otherwise none.
[[nodiscard]] std::optional<Entry> get_value(const Value& value);

}  // namespace gorv
