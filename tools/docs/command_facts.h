#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "core/error.h"

namespace gorv::docs {

// What the manual page and the shell completions say about one option, read from the
// command tree. The views point into the tree, which must outlive the facts.
struct OptionFacts {
    std::string_view name;
    std::optional<std::string_view> long_name;
    std::vector<std::string_view> long_aliases;
    std::optional<char> short_name;
    std::string_view description;    // as the help shows it
    std::string summary;             // the description without its list of choices
    std::string_view type_text;      // as the usage line shows it: "string", "u32", ...
    bool flag = false;               // set by being named; takes no argument
    bool argument_optional = false;  // may be given without an argument
    bool list = false;               // each argument adds entries split at `separators`
    std::string_view separators;
    std::size_t max_entries = 1;
    // The names the option's parse function accepts, in the order of the description;
    // empty for an option whose value is not an enumeration.
    std::vector<std::string_view> choices;
    // The default as the user would type it; absent when the value has none, and for
    // flags, whose default is always "not given".
    std::optional<std::string> default_text;
};

// One command and everything below it, hidden entries left out.
struct CommandFacts {
    std::string_view name;
    std::string_view description;
    std::vector<std::string_view> examples;
    std::vector<OptionFacts> options;
    std::vector<CommandFacts> subcommands;
};

// Reads the facts of a completed command tree. The choices of an enumeration-valued
// option come from the parenthesised list that ends its description, where "*" marks
// the default; each must be accepted by the value's parse function, and the marked one
// (if any) must be the value's default. Fails with EnumTagDoesNotExist when the list is
// missing or names something the parse function refuses, RequestedTypeMismatch when
// the default is not among the choices or not the one marked, CommandNotInitialized for
// a command that was not completed, and OutOfMemory.
[[nodiscard]] Result<CommandFacts> gather_facts(const Command& command);

// What keeps gather_facts from reading the command, in words, such as "the description of
// --color lists 'purple', which is not one of its values"; empty when it can read it.
// Fails with OutOfMemory.
[[nodiscard]] Result<std::string> facts_problem(const Command& command);

// The option with the long name, or else with the name; nullptr when there is none.
[[nodiscard]] const OptionFacts* find_option(const CommandFacts& command,
                                             std::string_view long_name);

}  // namespace gorv::docs
