#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/error.h"
#include "core/settings.h"

namespace gorv {

struct Command;

// The kinds of value this program's options hold. The order is that of `Entry`.
enum class ValueKind : std::uint8_t { boolean, u32, color, style, mode, accent, speed };

// One parsed value of any kind; the alternative's index is its `ValueKind`.
using Entry = std::variant<bool, std::uint32_t, Color, Style, Mode, Accent, Speed>;

// The kind of an entry.
[[nodiscard]] ValueKind entry_kind(const Entry& entry);

// Turns one piece of argument text into a value of the kind, or fails.
using ParseFunction = Result<Entry> (*)(std::string_view text);

// `last`: a later argument replaces the entry. `multi`: each argument adds entries.
enum class SetBehavior : std::uint8_t { last, multi };

// The most entries any value can hold.
inline constexpr std::size_t entry_capacity = 10;

struct Value {
    std::string_view name;
    std::string_view description;
    ValueKind type = ValueKind::boolean;
    std::optional<std::string_view> type_alias;
    std::string_view separators = ",;";
    ParseFunction parse_function = nullptr;
    std::optional<Entry> default_value;
    SetBehavior set_behavior = SetBehavior::last;
    std::uint8_t max_entries = 1;  // at most entry_capacity
    std::optional<std::string_view> group;
    // Filled by the parser.
    std::array<Entry, entry_capacity> entries{};
    std::uint8_t count = 0;
    bool is_set = false;
    bool is_empty = true;
};

struct Option {
    std::string_view name;
    std::optional<std::string_view> long_name;
    std::optional<std::vector<std::string_view>> long_aliases;
    std::optional<char> short_name;
    std::string_view description;
    Value value;
    bool allow_empty = false;
    std::optional<std::string_view> group;
    bool hidden = false;
    Command* parent = nullptr;
};

struct Command {
    std::string_view name;
    std::optional<std::vector<std::string_view>> aliases;
    std::string_view help_preamble;
    std::string_view description;
    std::optional<std::vector<std::string_view>> examples;
    std::optional<std::vector<Command>> subcommands;
    std::optional<std::vector<Option>> options;
    std::optional<std::vector<Value>> values;
    std::optional<std::string_view> group;
    std::optional<std::vector<std::string_view>> subcommand_groups;
    std::optional<std::vector<std::string_view>> option_groups;
    std::optional<std::vector<std::string_view>> value_groups;
    bool hidden = false;
    Command* parent = nullptr;
    Command* selected_subcommand = nullptr;
    bool initialized = false;
    // Bound by initialize_command; the displays take their working storage from it.
    std::pmr::memory_resource* allocator = nullptr;
    // Texts made for this command by initialize_command (the descriptions of the added
    // entries); a list, so that the views into it stay valid when the command moves.
    std::list<std::string> owned_texts;
};

// True for a bool value without a parse function: it is set by being named and cannot
// take an argument.
[[nodiscard]] bool is_flag(const Option& option);

// Completes a defined command before parsing: binds the allocator, sets `initialized`,
// appends the usage and help options and then the usage and help sub-commands, and
// points the `parent` of every option and sub-command at the command. Call it on a
// command that no longer moves, and on a parent before its sub-commands. Fails with
// OutOfMemory; the command is then unusable.
[[nodiscard]] Status initialize_command(Command& command, std::pmr::memory_resource* allocator);

// This program's command tree as defined, before initialize_command. Fails with
// OutOfMemory.
[[nodiscard]] Result<std::unique_ptr<Command>> define_gorv_command();

// This program's command tree, completed: initialize_command applied to the root and to
// its version sub-command. Fails with OutOfMemory.
[[nodiscard]] Result<std::unique_ptr<Command>> make_gorv_command(
    std::pmr::memory_resource* allocator);

}  // namespace gorv
