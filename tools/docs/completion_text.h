#pragma once

// The pieces that the three completion generators share: the commands of the tree with
// their paths, and the quoting of words for the shells.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_facts.h"

namespace gorv::docs {

// A command with its path of names from the root, such as "gorv version".
struct CommandAt {
    std::string path;
    const CommandFacts* command;
};

// The root and every command below it, each before its sub-commands.
[[nodiscard]] std::vector<CommandAt> all_commands(const CommandFacts& root);

// The option's long name, or else its name: the key by which the completions know it.
[[nodiscard]] std::string_view key_of(const OptionFacts& option);

// Every long form of an option: its long name, then its aliases.
[[nodiscard]] std::vector<std::string_view> long_forms(const OptionFacts& option);

// The words joined with the joiner between them.
[[nodiscard]] std::string joined(const std::vector<std::string_view>& words,
                                 std::string_view joiner = " ");

// The text inside POSIX single quotes.
[[nodiscard]] std::string single_quoted(std::string_view text);

// The text with a backslash before every character of `special`.
[[nodiscard]] std::string backslashed(std::string_view text, std::string_view special);

// A description for a completion menu: the summary, or the command's description,
// without its final full stop.
[[nodiscard]] std::string_view menu_text(const OptionFacts& option);
[[nodiscard]] std::string_view menu_text(const CommandFacts& command);

// A menu description of one value of an enumeration-valued option: the manual page's
// words for it up to the end of their first clause (a ";" or a full stop before a
// space), without that mark. None when the manual page has no words for the value.
[[nodiscard]] std::optional<std::string_view> value_menu_text(const OptionFacts& option,
                                                              std::string_view choice);

}  // namespace gorv::docs
