// The facts that the manual page and the completions are made from, read from the
// program's tree and from small trees that break one rule each.

#include "command_facts.h"

#include <gtest/gtest.h>

#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/value_parsers.h"
#include "program_facts.h"

namespace gorv::docs {
namespace {

struct OptionRow {
    std::string_view long_name;
    std::optional<char> short_name;
    std::string_view type_text;
    bool flag;
    bool argument_optional;
    bool list;
    std::vector<std::string_view> choices;
    std::optional<std::string_view> default_text;
    std::string_view summary;
};

// The root's options as the help describes them.
const std::vector<OptionRow> root_options = {
    {"color",
     'c',
     "string",
     false,
     false,
     false,
     {"default", "red", "green", "blue", "yellow", "magenta"},
     "default",
     "Set the output color."},
    {"style",
     's',
     "string",
     false,
     false,
     false,
     {"default", "columns", "crypto", "grid", "blocks", "rain"},
     "default",
     "Set the output style."},
    {"mode",
     'm',
     "string",
     false,
     false,
     false,
     {"binary", "decimal", "hexadecimal", "textual"},
     "binary",
     "Symbol mode."},
    {"accents",
     'a',
     "[string]",
     false,
     true,
     true,
     {"bold", "bright", "dim", "pulse"},
     std::nullopt,
     "Enable symbol accentuations."},
    {"time", 't', "u32", false, false, false, {}, "0", "Set the duration in seconds."},
    {"speed",
     std::nullopt,
     "string",
     false,
     false,
     false,
     {"slow", "normal", "fast"},
     "normal",
     "Set the output speed."},
    {"bare",
     std::nullopt,
     "bool",
     true,
     false,
     false,
     {},
     std::nullopt,
     "Disable opening sequence."},
    {"debug", std::nullopt, "bool", true, false, false, {}, std::nullopt, "Enable debug mode."},
    {"version", 'v', "bool", true, false, false, {}, std::nullopt, "Show the 'gorv' version."},
    {"usage", 'u', "bool", true, false, false, {}, std::nullopt, "Show the 'gorv' usage display."},
    {"help", 'h', "bool", true, false, false, {}, std::nullopt, "Show the 'gorv' help display."},
};

TEST(CommandFacts, RootOptionsAsTheHelpDescribesThem) {
    const ProgramFacts program = program_facts();
    const CommandFacts& root = program.root;
    EXPECT_EQ(root.name, "gorv");
    EXPECT_EQ(root.description, "2D matrix screensaver.");
    EXPECT_EQ(root.examples, std::vector<std::string_view>{"gorv -a -m decimal -s crypto"});
    ASSERT_EQ(root.options.size(), root_options.size());
    for (std::size_t i = 0; i < root_options.size(); ++i) {
        const OptionRow& row = root_options[i];
        const OptionFacts& option = root.options[i];
        SCOPED_TRACE(row.long_name);
        EXPECT_EQ(option.long_name, row.long_name);
        EXPECT_EQ(option.short_name, row.short_name);
        EXPECT_EQ(option.type_text, row.type_text);
        EXPECT_EQ(option.flag, row.flag);
        EXPECT_EQ(option.argument_optional, row.argument_optional);
        EXPECT_EQ(option.list, row.list);
        EXPECT_EQ(option.choices, row.choices);
        EXPECT_EQ(option.default_text, row.default_text);
        EXPECT_EQ(option.summary, row.summary);
        EXPECT_TRUE(option.long_aliases.empty());
    }
    const OptionFacts* accents = find_option(root, "accents");
    ASSERT_NE(accents, nullptr);
    EXPECT_EQ(accents->max_entries, 4U);
    EXPECT_EQ(accents->separators, ",;");
}

TEST(CommandFacts, SubcommandsWithTheirOwnOptions) {
    const ProgramFacts program = program_facts();
    const CommandFacts& root = program.root;
    ASSERT_EQ(root.subcommands.size(), 3U);
    const CommandFacts& version = root.subcommands[0];
    EXPECT_EQ(version.name, "version");
    EXPECT_EQ(version.description, "Show the 'gorv' version.");
    ASSERT_EQ(version.options.size(), 2U);
    EXPECT_EQ(version.options[0].long_name, "usage");
    EXPECT_EQ(version.options[0].summary, "Show the 'version' usage display.");
    EXPECT_EQ(version.options[1].long_name, "help");
    ASSERT_EQ(version.subcommands.size(), 2U);
    EXPECT_EQ(version.subcommands[0].name, "usage");
    EXPECT_EQ(version.subcommands[1].name, "help");
    EXPECT_EQ(version.subcommands[1].description, "Show the 'version' help display.");
    for (std::size_t i = 1; i < 3; ++i) {
        const CommandFacts& display = root.subcommands[i];
        EXPECT_EQ(display.name, i == 1 ? "usage" : "help");
        EXPECT_TRUE(display.options.empty());
        EXPECT_TRUE(display.subcommands.empty());
    }
    EXPECT_EQ(find_option(root, "colour"), nullptr);
}

Result<Entry> style_entry(std::string_view text) {
    const Result<Style> style = parse_style(text);
    if (!style) return std::unexpected(style.error());
    return Entry{*style};
}

// A completed command "probe" with one style-valued option of the given description,
// whose default is the style `default`.
struct Probe {
    explicit Probe(std::string_view description) {
        Option option;
        option.name = "look";
        option.long_name = "look";
        option.description = description;
        option.value.type = ValueKind::style;
        option.value.parse_function = style_entry;
        option.value.default_value = Entry{Style::default_};
        command.name = "probe";
        command.options.emplace().push_back(option);
    }
    Command command;
};

struct ListCase {
    std::string_view description;
    std::optional<Error> error;
    std::vector<std::string_view> choices;
    std::string_view problem = "";  // what facts_problem says
};

constexpr std::string_view no_list =
    "the description of --look does not end in a list of its values in parentheses, such as "
    "(*first, second)";

TEST(CommandFacts, ChoicesComeFromTheDescriptionAndMustParse) {
    const ListCase cases[] = {
        {"Pick a look (*default, rain).", std::nullopt, {"default", "rain"}},
        {"Pick a look (rain, *default).", std::nullopt, {"rain", "default"}},
        {"Pick a look.", Error::EnumTagDoesNotExist, {}, no_list},
        {"Pick a look ().", Error::EnumTagDoesNotExist, {}, no_list},
        {"Pick a look (*default, matrix).",
         Error::EnumTagDoesNotExist,
         {},
         "the description of --look lists 'matrix', which is not one of its values"},
        {"Pick a look (*default, , rain).", Error::EnumTagDoesNotExist, {}, no_list},
        {"Pick a look (default, *rain).",
         Error::RequestedTypeMismatch,
         {},
         "the description of --look marks 'rain' with *, but the default is 'default'"},
        {"Pick a look (default, rain).",
         Error::RequestedTypeMismatch,
         {},
         "the description of --look marks no value with *, but the default is 'default'"},
        {"Pick a look (*columns, rain).",
         Error::RequestedTypeMismatch,
         {},
         "the default of --look is not among the values its description lists"},
    };
    for (const ListCase& each : cases) {
        SCOPED_TRACE(each.description);
        Probe probe(each.description);
        ASSERT_TRUE(initialize_command(probe.command, std::pmr::new_delete_resource()));
        const Result<CommandFacts> facts = gather_facts(probe.command);
        EXPECT_EQ(facts_problem(probe.command), std::string(each.problem));
        if (each.error) {
            ASSERT_FALSE(facts.has_value());
            EXPECT_EQ(facts.error(), *each.error);
            continue;
        }
        ASSERT_TRUE(facts.has_value());
        const OptionFacts& look = facts->options.front();
        EXPECT_EQ(look.choices, each.choices);
        EXPECT_EQ(look.default_text, "default");
        EXPECT_EQ(look.summary, "Pick a look.");
    }
}

TEST(CommandFacts, HiddenEntriesAreLeftOutAndAnIncompleteTreeIsRefused) {
    Probe probe("Pick a look (*default, rain).");
    EXPECT_EQ(gather_facts(probe.command).error(), Error::CommandNotInitialized);
    EXPECT_EQ(facts_problem(probe.command), "the command 'probe' was not completed");

    ASSERT_TRUE(initialize_command(probe.command, std::pmr::new_delete_resource()));
    (*probe.command.options)[0].hidden = true;
    (*probe.command.subcommands)[0].hidden = true;  // usage
    const Result<CommandFacts> facts = gather_facts(probe.command);
    ASSERT_TRUE(facts.has_value());
    ASSERT_EQ(facts->options.size(), 2U);
    EXPECT_EQ(facts->options[0].long_name, "usage");
    ASSERT_EQ(facts->subcommands.size(), 1U);
    EXPECT_EQ(facts->subcommands[0].name, "help");
}

}  // namespace
}  // namespace gorv::docs
