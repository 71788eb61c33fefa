#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/parser.h"

namespace gorv {
namespace {

std::unique_ptr<Command> completed_tree() {
    Result<std::unique_ptr<Command>> root = make_gorv_command(std::pmr::new_delete_resource());
    EXPECT_TRUE(root.has_value());
    return std::move(*root);
}

struct OptionRow {
    std::string_view long_name;
    std::optional<char> short_name;
    std::string_view value_name;
    ValueKind kind;
    std::optional<std::string_view> type_alias;
    std::optional<Entry> default_value;
    int max_entries;
    SetBehavior behavior;
    bool allow_empty;
    std::string_view description;
};

const OptionRow root_options[] = {
    {"color", 'c', "color_val", ValueKind::color, "string", Entry{Color::default_}, 1,
     SetBehavior::last, false,
     "Set the output color (*default, red, green, blue, yellow, magenta)."},
    {"style", 's', "style_val", ValueKind::style, "string", Entry{Style::default_}, 1,
     SetBehavior::last, false,
     "Set the output style (*default, columns, crypto, grid, blocks, rain)."},
    {"mode", 'm', "mode_val", ValueKind::mode, "string", Entry{Mode::binary}, 1, SetBehavior::last,
     false, "Symbol mode (*binary, decimal, hexadecimal, textual)."},
    {"accents", 'a', "accents_list", ValueKind::accent, "[string]", std::nullopt, 4,
     SetBehavior::multi, true, "Enable symbol accentuations (bold, bright, dim, pulse)."},
    {"time", 't', "time", ValueKind::u32, std::nullopt, Entry{std::uint32_t{0}}, 1,
     SetBehavior::last, false, "Set the duration in seconds."},
    {"speed", std::nullopt, "speed_val", ValueKind::speed, "string", Entry{Speed::normal}, 1,
     SetBehavior::last, false, "Set the output speed (slow, *normal, fast)."},
    {"bare", std::nullopt, "bare_flag", ValueKind::boolean, std::nullopt, Entry{false}, 1,
     SetBehavior::last, false, "Disable opening sequence."},
    {"debug", std::nullopt, "debug_flag", ValueKind::boolean, std::nullopt, Entry{false}, 1,
     SetBehavior::last, false, "Enable debug mode."},
    {"version", 'v', "version_flag", ValueKind::boolean, std::nullopt, Entry{false}, 1,
     SetBehavior::last, false, "Show the 'gorv' version."},
    {"usage", 'u', "usage_flag", ValueKind::boolean, std::nullopt, std::nullopt, 1,
     SetBehavior::last, false, "Show the 'gorv' usage display."},
    {"help", 'h', "help_flag", ValueKind::boolean, std::nullopt, std::nullopt, 1, SetBehavior::last,
     false, "Show the 'gorv' help display."},
};

void expect_option(const Option& option, const OptionRow& row, const Command& owner) {
    SCOPED_TRACE(row.long_name);
    EXPECT_EQ(option.name, row.long_name);
    EXPECT_EQ(option.long_name, row.long_name);
    EXPECT_EQ(option.short_name, row.short_name);
    EXPECT_EQ(option.description, row.description);
    EXPECT_EQ(option.allow_empty, row.allow_empty);
    EXPECT_FALSE(option.hidden);
    EXPECT_FALSE(option.group.has_value());
    EXPECT_FALSE(option.long_aliases.has_value());
    EXPECT_EQ(option.parent, &owner);
    const Value& value = option.value;
    EXPECT_EQ(value.name, row.value_name);
    EXPECT_EQ(value.description, "");
    EXPECT_EQ(value.type, row.kind);
    EXPECT_EQ(value.type_alias, row.type_alias);
    EXPECT_EQ(value.separators, ",;");
    EXPECT_EQ(value.default_value, row.default_value);
    EXPECT_EQ(value.max_entries, row.max_entries);
    EXPECT_EQ(value.set_behavior, row.behavior);
    // Enumerations carry their parse function; time and the flags carry none.
    const bool enumeration = row.kind != ValueKind::boolean && row.kind != ValueKind::u32;
    EXPECT_EQ(value.parse_function != nullptr, enumeration);
    EXPECT_EQ(value.count, 0);
    EXPECT_FALSE(value.is_set);
    EXPECT_TRUE(value.is_empty);
}

std::vector<std::string_view> names(const std::vector<Command>& commands) {
    std::vector<std::string_view> result;
    result.reserve(commands.size());
    for (const Command& command : commands)
        result.push_back(command.name);
    return result;
}

TEST(CommandTree, RootHasElevenOptionsAndThreeSubcommandsInOrder) {
    const auto root = completed_tree();
    EXPECT_EQ(root->name, "gorv");
    EXPECT_EQ(root->help_preamble, "┌────┐\n│gorv│\n└────┘");
    EXPECT_EQ(root->description, "2D matrix screensaver.");
    ASSERT_TRUE(root->examples.has_value());
    EXPECT_EQ(*root->examples, std::vector<std::string_view>{"gorv -a -m decimal -s crypto"});
    EXPECT_TRUE(root->initialized);
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->selected_subcommand, nullptr);
    ASSERT_TRUE(root->options.has_value());
    ASSERT_EQ(root->options->size(), std::size(root_options));
    for (std::size_t at = 0; at < std::size(root_options); ++at) {
        expect_option((*root->options)[at], root_options[at], *root);
    }
    ASSERT_TRUE(root->subcommands.has_value());
    EXPECT_EQ(names(*root->subcommands),
              (std::vector<std::string_view>{"version", "usage", "help"}));
    for (const Command& subcommand : *root->subcommands) {
        EXPECT_EQ(subcommand.parent, root.get());
        EXPECT_TRUE(subcommand.initialized);
    }
}

TEST(CommandTree, VersionHasOnlyUsageAndHelp) {
    const auto root = completed_tree();
    const Command& version = root->subcommands->front();
    EXPECT_EQ(version.help_preamble, "┌────┐\n│gorv│\n└────┘");
    EXPECT_EQ(version.description, "Show the 'gorv' version.");
    EXPECT_FALSE(version.examples.has_value());
    ASSERT_TRUE(version.options.has_value());
    ASSERT_EQ(version.options->size(), 2u);
    expect_option((*version.options)[0],
                  {"usage", 'u', "usage_flag", ValueKind::boolean, std::nullopt, std::nullopt, 1,
                   SetBehavior::last, false, "Show the 'version' usage display."},
                  version);
    expect_option((*version.options)[1],
                  {"help", 'h', "help_flag", ValueKind::boolean, std::nullopt, std::nullopt, 1,
                   SetBehavior::last, false, "Show the 'version' help display."},
                  version);
    ASSERT_TRUE(version.subcommands.has_value());
    EXPECT_EQ(names(*version.subcommands), (std::vector<std::string_view>{"usage", "help"}));
}

TEST(CommandTree, AddedSubcommandsNameTheirOwner) {
    const auto root = completed_tree();
    const Command& version = root->subcommands->front();
    struct Row {
        const Command* owner;
        std::size_t at;
        std::string_view name;
        std::string_view preamble;
        std::string_view description;
    };
    const Row rows[] = {
        {root.get(), 1, "usage", "gorv", "Show the 'gorv' usage display."},
        {root.get(), 2, "help", "gorv", "Show the 'gorv' help display."},
        {&version, 0, "usage", "version", "Show the 'version' usage display."},
        {&version, 1, "help", "version", "Show the 'version' help display."},
    };
    for (const Row& row : rows) {
        const Command& added = (*row.owner->subcommands)[row.at];
        SCOPED_TRACE(std::string(row.preamble) + " " + std::string(row.name));
        EXPECT_EQ(added.name, row.name);
        EXPECT_EQ(added.help_preamble, row.preamble);
        EXPECT_EQ(added.description, row.description);
        EXPECT_EQ(added.parent, row.owner);
        EXPECT_TRUE(added.initialized);
        // They get no usage or help entries of their own.
        EXPECT_FALSE(added.options.has_value());
        EXPECT_FALSE(added.subcommands.has_value());
        EXPECT_FALSE(added.values.has_value());
        EXPECT_FALSE(added.examples.has_value());
    }
}

TEST(CommandTree, DisplayFlagsAreFalseUnlessGiven) {
    const auto root = completed_tree();
    for (const std::string_view name : {"usage", "help", "version", "bare", "debug"}) {
        EXPECT_FALSE(is_requested(*root, name)) << name;
    }
}

TEST(InitializeCommand, OptionGroupsGetTheHelpGroup) {
    Command command;
    command.name = "tool";
    command.option_groups = std::vector<std::string_view>{"MAIN"};
    ASSERT_TRUE(initialize_command(command, std::pmr::new_delete_resource()));
    EXPECT_EQ(*command.option_groups, (std::vector<std::string_view>{"MAIN", "HELP"}));
    ASSERT_EQ(command.options->size(), 2u);
    for (const Option& option : *command.options) {
        EXPECT_EQ(option.group, "HELP");
        EXPECT_EQ(option.parent, &command);
    }
    EXPECT_EQ((*command.options)[0].description, "Show the 'tool' usage display.");
    EXPECT_EQ(command.allocator, std::pmr::new_delete_resource());
}

}  // namespace
}  // namespace gorv
