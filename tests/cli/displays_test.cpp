#include <gtest/gtest.h>

#include <memory_resource>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/help.h"
#include "cli/usage.h"
#include "cli_test_support.h"
#include "expected_texts.h"

namespace gorv {
namespace {

using testing::FailingWriter;

std::unique_ptr<Command> completed_tree() {
    Result<std::unique_ptr<Command>> root = make_gorv_command(std::pmr::new_delete_resource());
    EXPECT_TRUE(root.has_value());
    return std::move(*root);
}

// A command that is ready for the displays without the usage and help entries that
// initialize_command would add.
Command bare_command(std::string_view name) {
    Command command;
    command.name = name;
    command.help_preamble = "pre";
    command.description = "Does things.";
    command.initialized = true;
    command.allocator = std::pmr::new_delete_resource();
    return command;
}

Command subcommand(std::string_view name, std::string_view description,
                   std::optional<std::string_view> group = std::nullopt) {
    Command command;
    command.name = name;
    command.description = description;
    command.group = group;
    return command;
}

Option option(std::string_view name, std::optional<std::string_view> long_name,
              std::optional<char> short_name, ValueKind kind, std::string_view description) {
    Option made;
    made.name = name;
    made.long_name = long_name;
    made.short_name = short_name;
    made.value.type = kind;
    made.description = description;
    return made;
}

std::string help_of(const Command& command) {
    MemoryWriter out;
    EXPECT_TRUE(write_help(command, out));
    EXPECT_EQ(out.flushed, out.text.size()) << "the help is flushed";
    return out.text;
}

std::string usage_of(const Command& command) {
    MemoryWriter out;
    EXPECT_TRUE(write_usage(command, out));
    return out.text;
}

// The preamble "pre", the banner and the header of a command named `name` described as
// "Does things.".
std::string head(std::string_view name) {
    return std::string("pre\n") + std::string(banner) + "    " + std::string(name) +
           "\n    Does things.\n\n";
}

TEST(Usage, OfTheProgramsCommands) {
    const auto root = completed_tree();
    EXPECT_EQ(usage_of(*root), testing::gorv_usage);
    EXPECT_EQ(usage_of(root->subcommands->front()), testing::version_usage);
    const std::string_view automatic = "┌────┐\n│gorv│\n└────┘\nUSAGE:\n        help";
    EXPECT_EQ(usage_of((*root->subcommands)[2]), automatic);
    EXPECT_EQ(usage_of(root->subcommands->front().subcommands->back()), automatic);
}

TEST(Usage, OptionUsageLinesOfTheRootOptions) {
    const auto root = completed_tree();
    MemoryWriter out;
    for (const Option& each : *root->options) {
        ASSERT_TRUE(write_option_usage(each, out));
        ASSERT_TRUE(out.write("\n"));
    }
    EXPECT_EQ(out.text, testing::option_usage_lines);
}

TEST(Usage, OptionUsageLineForms) {
    struct Row {
        Option option;
        std::string_view line;
    };
    Option aliased = option("upper", "upper", 'U', ValueKind::boolean, "");
    aliased.long_aliases = std::vector<std::string_view>{"up", "UP"};
    Option typed = option("kind", "kind", std::nullopt, ValueKind::color, "");
    Option wide = option("e", std::nullopt, static_cast<char>(0xE9), ValueKind::u32, "");
    const Row rows[] = {
        {option("quiet", std::nullopt, 'q', ValueKind::boolean, ""), "-q <bool>"},
        {aliased, "-U, --upper, --up, --UP <bool>"},
        {typed, "\u200B\u200B--kind <main.Color>"},
        {wide, "-\u00E9 <u32>"},
    };
    for (const Row& row : rows) {
        MemoryWriter out;
        ASSERT_TRUE(write_option_usage(row.option, out));
        EXPECT_EQ(out.text, row.line);
    }
}

TEST(Usage, ListsDependOnWhichListsThereAre) {
    const std::string title = "┌────┐\n│gorv│\n└────┘\nUSAGE:\n";
    Command only_options = bare_command("tool");
    only_options.options.emplace();
    Option secret = option("secret", "secret", std::nullopt, ValueKind::u32, "");
    secret.hidden = true;
    only_options.options->push_back(secret);
    only_options.options->push_back(option("quiet", std::nullopt, 'q', ValueKind::boolean, ""));
    // Hidden options are listed; an option without a long name shows its short name.
    EXPECT_EQ(usage_of(only_options),
              title + "    tool [ --secret <u32>\n           --q <bool> ]\n\n");

    Command only_subcommands = bare_command("tool");
    only_subcommands.subcommands.emplace();
    only_subcommands.subcommands->push_back(subcommand("go", ""));
    only_subcommands.subcommands->push_back(subcommand("go", ""));
    only_subcommands.subcommands->back().hidden = true;
    EXPECT_EQ(usage_of(only_subcommands), title + "    tool [ go | go ]\n\n");

    Command empty_lists = bare_command("tool");
    empty_lists.options.emplace();
    empty_lists.subcommands.emplace();
    EXPECT_EQ(usage_of(empty_lists), title + "    tool [ ]\n\n    tool []\n\n");

    EXPECT_EQ(usage_of(bare_command("tool")), title + "        tool");
}

TEST(Help, OfTheProgramsCommands) {
    const auto root = completed_tree();
    EXPECT_EQ(help_of(*root), testing::gorv_help);
    EXPECT_EQ(help_of(root->subcommands->front()), testing::version_help);
}

TEST(Help, BannerKeepsItsLayout) {
    std::vector<std::u32string> lines;
    std::u32string line;
    std::string_view rest = banner;
    // Decode the three code points the banner may use; anything else is a failure.
    while (!rest.empty()) {
        if (rest.front() == '\n') {
            lines.push_back(line);
            line.clear();
            rest.remove_prefix(1);
        } else if (rest.front() == ' ') {
            line.push_back(U' ');
            rest.remove_prefix(1);
        } else if (rest.starts_with("█")) {
            line.push_back(U'█');
            rest.remove_prefix(std::string_view("█").size());
        } else if (rest.starts_with("░")) {
            line.push_back(U'░');
            rest.remove_prefix(std::string_view("░").size());
        } else {
            FAIL() << "unexpected byte in the banner";
        }
    }
    ASSERT_TRUE(line.empty()) << "the banner ends with a line feed";
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_TRUE(lines[7].empty()) << "an empty line follows the seventh";
    lines.pop_back();

    std::size_t widest = 0;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const std::u32string& shown = lines[at];
        widest = std::max(widest, shown.size());
        EXPECT_TRUE(shown.empty() || shown.back() != U' ') << "trailing blank on line " << at + 1;
        if (!shown.empty()) {
            EXPECT_EQ(shown.front(), U' ') << "first column of line " << at + 1;
        }
        // Every run of strokes has its one-cell shadow on the left.
        for (std::size_t column = 0; column < shown.size(); ++column) {
            const bool run_starts =
                shown[column] == U'█' && (column == 0 || shown[column - 1] != U'█');
            if (!run_starts) continue;
            EXPECT_TRUE(column > 0 && shown[column - 1] == U'░')
                << "line " << at + 1 << " column " << column + 1;
        }
    }
    EXPECT_EQ(widest, 30u);
    // "gorv" has no ascender: nothing above the letter bodies.
    EXPECT_TRUE(lines[0].empty());
    EXPECT_TRUE(lines[1].empty());

    // Columns blank on every line split the banner into its four letters.
    std::vector<bool> blank(widest, true);
    for (const std::u32string& shown : lines) {
        for (std::size_t column = 0; column < shown.size(); ++column) {
            if (shown[column] != U' ') blank[column] = false;
        }
    }
    std::vector<std::size_t> widths;
    std::size_t run = 0;
    for (std::size_t column = 1; column <= widest; ++column) {
        if (column == widest || blank[column]) {
            if (run > 0) widths.push_back(run);
            run = 0;
        } else {
            ++run;
        }
    }
    ASSERT_EQ(widths.size(), 4u);
    for (const std::size_t width : widths)
        EXPECT_TRUE(width == 6 || width == 7) << width;
    EXPECT_TRUE(blank[0]);
}

TEST(Help, CommandWithoutListsWritesOnlyItsHead) {
    EXPECT_EQ(help_of(bare_command("tool")), head("tool"));
}

TEST(Help, RefusesACommandThatIsNotInitialized) {
    Command command = bare_command("tool");
    command.initialized = false;
    MemoryWriter out;
    EXPECT_EQ(write_help(command, out), (Status{std::unexpect, Error::CommandNotInitialized}));
    EXPECT_EQ(out.text, "");
}

TEST(Help, AliasesExamplesOptionsAndValues) {
    Command command = bare_command("kit");
    command.aliases = std::vector<std::string_view>{"k1", "k2"};
    command.examples = std::vector<std::string_view>{"kit -x", "kit -y"};
    command.options.emplace();
    Option nine = option("9lives", "nine", std::nullopt, ValueKind::u32, "Digits stay.");
    nine.group = "G";
    Option upper = option("Upper", "upper", 'U', ValueKind::boolean, "Capital stays.");
    upper.long_aliases = std::vector<std::string_view>{"up"};
    Option secret = option("secret", "secret", 's', ValueKind::boolean, "Never shown.");
    secret.hidden = true;
    command.options->push_back(nine);
    command.options->push_back(upper);
    command.options->push_back(option("quiet", std::nullopt, 'q', ValueKind::boolean, "Short."));
    command.options->push_back(secret);
    command.option_groups = std::vector<std::string_view>{"G"};
    command.values.emplace();
    Value count;
    count.name = "count";
    count.type = ValueKind::u32;
    count.description = "How many.";
    Value kind;
    kind.name = "kind";
    kind.type = ValueKind::color;
    kind.description = "Which.";
    command.values->push_back(count);
    command.values->push_back(kind);

    EXPECT_EQ(help_of(command), head("kit") +
                                    "    ALIAS(ES): k1, k2\n\n"
                                    "    EXAMPLE:\n"
                                    "        kit -x\n"
                                    "        kit -y\n"
                                    "\n"
                                    "    OPTIONS:\n"
                                    "     |G|\n"
                                    "        9lives:\n"
                                    "            \u200B\u200B--nine <u32>\n"
                                    "            Digits stay.\n"
                                    "        \n"
                                    "     |OTHER|\n"
                                    "        Upper:\n"
                                    "            -U, --upper, --up <bool>\n"
                                    "            Capital stays.\n"
                                    "        Quiet:\n"
                                    "            -q <bool>\n"
                                    "            Short.\n"
                                    "\n"
                                    "    VALUES:\n"
                                    "        count (u32): How many.\n"
                                    "        kind (main.Color): Which.\n"
                                    "\n");
}

TEST(Help, SubcommandListingRules) {
    struct Row {
        const char* what;
        std::vector<Command> subcommands;
        std::optional<std::vector<std::string_view>> groups;
        std::string_view listing;
    };
    auto with_aliases = [](Command command, std::vector<std::string_view> aliases) {
        command.aliases = std::move(aliases);
        return command;
    };
    auto hidden = [](Command command) {
        command.hidden = true;
        return command;
    };
    const Row rows[] = {
        {"hidden entries leave only the heading",
         {hidden(subcommand("a", "first"))},
         std::nullopt,
         ""},
        {"a repeated name keeps the first place and the last definition",
         {subcommand("a", "first"), subcommand("b", "second"), subcommand("a", "again")},
         std::nullopt,
         "        a: again\n"
         "        b: second\n"},
        {"aliases only in the grouped form; OTHER for the ungrouped rest",
         {with_aliases(subcommand("a", "first", "ONE"), {"x", "y"}),
          with_aliases(subcommand("b", "second"), {"bee"}), hidden(subcommand("h", "hid", "ONE"))},
         std::vector<std::string_view>{"ONE"},
         "     |ONE|\n"
         "        a: first\n"
         "            [alias(es): x, y]\n"
         "        \n"
         "     |OTHER|\n"
         "        b: second\n"},
        {"groups without members leave no trace; hidden entries counted per group",
         {with_aliases(subcommand("a", "first", "ONE"), {"al"}), subcommand("b", "second"),
          subcommand("c", "third", "TWO"), hidden(subcommand("h", "hid", "ONE")),
          with_aliases(subcommand("a", "again", "ONE"), {"an"})},
         std::vector<std::string_view>{"ONE", "NONE", "TWO"},
         // Five names to remove for four entries: no OTHER title above b.
         "     |ONE|\n"
         "        a: again\n"
         "            [alias(es): an]\n"
         "        \n"
         "     |TWO|\n"
         "        c: third\n"
         "        \n"
         "        b: second\n"},
        {"no group title, no OTHER",
         {subcommand("a", "first", "ELSEWHERE"), subcommand("b", "second")},
         std::vector<std::string_view>{"ONE"},
         "        a: first\n"
         "        b: second\n"},
        {"an empty group list is no grouping",
         {with_aliases(subcommand("a", "first", "ONE"), {"x"})},
         std::vector<std::string_view>{},
         "        a: first\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Command command = bare_command("kit");
        command.subcommands = row.subcommands;
        command.subcommand_groups = row.groups;
        EXPECT_EQ(help_of(command),
                  head("kit") + "    SUBCOMMANDS:\n" + std::string(row.listing) + "\n");
    }
}

TEST(Help, OutOfMemoryKeepsWhatWasWritten) {
    Command command = bare_command("kit");
    command.allocator = std::pmr::null_memory_resource();
    command.subcommands.emplace();
    command.subcommands->push_back(subcommand("a", "first"));
    MemoryWriter out;
    EXPECT_EQ(write_help(command, out), (Status{std::unexpect, Error::OutOfMemory}));
    EXPECT_EQ(out.text, head("kit") + "    SUBCOMMANDS:\n");
}

TEST(Displays, StopAtTheFirstFailingWrite) {
    const auto root = completed_tree();
    const std::string_view full_help = testing::gorv_help;
    for (std::size_t budget = 0; budget < full_help.size(); budget += 7) {
        FailingWriter out(budget);
        EXPECT_EQ(write_help(*root, out), (Status{std::unexpect, Error::WriteFailed}));
        EXPECT_EQ(out.failures, 1) << budget;
        EXPECT_TRUE(full_help.starts_with(out.text));
    }
    for (std::size_t budget = 0; budget < testing::gorv_usage.size(); budget += 5) {
        FailingWriter out(budget);
        EXPECT_EQ(write_usage(*root, out), (Status{std::unexpect, Error::WriteFailed}));
        EXPECT_EQ(out.failures, 1) << budget;
    }
    FailingWriter flush_fails(full_help.size());
    flush_fails.fail_flush = true;
    EXPECT_EQ(write_help(*root, flush_fails), (Status{std::unexpect, Error::WriteFailed}));
    EXPECT_EQ(flush_fails.text, full_help);
}

TEST(Help, JoinedTextsAndGroupTitle) {
    MemoryWriter out;
    const std::string_view texts[] = {"one", "two", "three"};
    ASSERT_TRUE(write_joined(out, texts));
    ASSERT_TRUE(write_joined(out, std::span<const std::string_view>(texts, 1)));
    ASSERT_TRUE(write_joined(out, {}));
    ASSERT_TRUE(write_group_title(out, "T"));
    EXPECT_EQ(out.text, "one, two, threeone     |T|\n");
}

}  // namespace
}  // namespace gorv
