#include "cli/parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/value_parsers.h"
#include "cli_test_support.h"
#include "expected_texts.h"

namespace gorv {
namespace {

using testing::Arguments;
using testing::CapturedFd;

Value& value_of(Command& command, std::string_view name) {
    for (Option& option : *command.options) {
        if (option.name == name) return option.value;
    }
    ADD_FAILURE() << "no option " << name;
    return command.options->front().value;
}

std::vector<Entry> stored(const Value& value) {
    return {value.entries.begin(), value.entries.begin() + value.count};
}

struct Outcome {
    Status result;
    std::string out;     // what reached the writer
    std::string stderr;  // what reached file descriptor 2
    std::string stdout;  // what reached file descriptor 1 directly: always nothing
    std::size_t unflushed = 0;
};

Outcome parse(Command& root, const std::vector<std::string>& arguments) {
    Arguments argv(arguments);
    ArgumentCursor cursor(argv.span());
    MemoryWriter out;
    CapturedFd error_capture(STDERR_FILENO);
    CapturedFd output_capture(STDOUT_FILENO);
    Outcome outcome{parse_arguments(cursor, root, out), {}, {}, {}, 0};
    outcome.stdout = output_capture.text();
    outcome.stderr = error_capture.text();
    outcome.out = out.text;
    outcome.unflushed = out.text.size() - out.flushed;
    return outcome;
}

Status fails(Error error) {
    return std::unexpected(error);
}

const Status ok{};
const Status displayed = fails(Error::UsageHelpCalled);
const Status rejected = fails(Error::CommandLineRejected);

std::string m1(std::string_view letter) {
    return "error(pelk): Could not parse Option '-" + std::string(letter) + "'.\n";
}
std::string m2(std::string_view word) {
    return "error(pelk): Could not parse Argument '--" + std::string(word) + "' to an Option.\n";
}
std::string m5(std::string_view argument, std::string_view command = "gorv") {
    return "error(pelk): Unrecognized Argument '" + std::string(argument) + "' for Command '" +
           std::string(command) + "'.\n";
}
std::string m6(std::string_view argument, std::string_view command = "help") {
    return "error(pelk): Command '" + std::string(command) +
           "' does not expect any arguments, but '" + std::string(argument) + "' was passed.\n";
}

const std::string help_usage = "┌────┐\n│gorv│\n└────┘\nUSAGE:\n        help";

struct Row {
    std::vector<std::string> arguments;
    Status result;
    std::string stderr;
    std::string out;
    std::function<void(Command&)> check = nullptr;
};

void PrintTo(const Row& row, std::ostream* os) {
    for (const std::string& argument : row.arguments)
        *os << '[' << argument << ']';
}

class ParserTable : public ::testing::TestWithParam<Row> {};

TEST_P(ParserTable, ResultMessagesAndDisplays) {
    const Row& row = GetParam();
    auto root = make_gorv_command(std::pmr::new_delete_resource());
    ASSERT_TRUE(root);
    const Outcome outcome = parse(**root, row.arguments);
    EXPECT_EQ(outcome.result, row.result);
    EXPECT_EQ(outcome.stderr, row.stderr);
    EXPECT_EQ(outcome.out, row.out);
    EXPECT_EQ(outcome.stdout, "");
    EXPECT_EQ(outcome.unflushed, 0u) << "displays are flushed before the parser returns";
    if (row.check) row.check(**root);
}

void nothing_stored(Command& root) {
    for (const Option& option : *root.options) {
        EXPECT_FALSE(option.value.is_set) << option.name;
    }
    EXPECT_EQ(root.selected_subcommand, nullptr);
}

void accents_empty(Command& root) {
    const Value& accents = value_of(root, "accents");
    EXPECT_TRUE(accents.is_set);
    EXPECT_TRUE(accents.is_empty);
    EXPECT_EQ(accents.count, 0);
}

std::function<void(Command&)> holds(std::string_view option, const std::vector<Entry>& entries) {
    return [option, entries](Command& root) { EXPECT_EQ(stored(value_of(root, option)), entries); };
}

const Entry bold{Accent::bold}, dim{Accent::dim}, pulse{Accent::pulse};
const Entry red{Color::red};

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ParserTable,
    ::testing::Values(
        Row{{}, ok, "", "", nothing_stored},
        Row{{"-a", "-m", "decimal", "-s", "crypto"},
            ok,
            "",
            "",
            [](Command& root) {
                accents_empty(root);
                holds("mode", {Entry{Mode::decimal}})(root);
                holds("style", {Entry{Style::crypto}})(root);
            }},
        Row{{"-a", "bold,dim", "-a", "pulse"}, ok, "", "", holds("accents", {bold, dim, pulse})},
        Row{{"-a", "bold", "-a"},
            ok,
            "error(pelk): The Option 'accents' has already been set.\n",
            "",
            holds("accents", {bold})},
        Row{{"-cred"}, ok, "", "", holds("color", {red})},
        Row{{"-scrypto"}, rejected, m1("s"), std::string(testing::gorv_usage), holds("style", {})},
        Row{{"-mhexadecimal"}, rejected, m1("m"), std::string(testing::gorv_usage)},
        Row{{"-cpurple"}, fails(Error::CannotParseArgToValue), "", ""},
        Row{{"-t5"}, ok, "", "", holds("time", {Entry{std::uint32_t{5}}})},
        Row{{"-t5x"}, fails(Error::InvalidCharacter), "", ""},
        Row{{"-t99999999999"}, fails(Error::Overflow), "", ""},
        Row{{"-t"}, rejected, m5("-t"), std::string(testing::gorv_usage)},
        Row{{"-t", "-d"}, rejected, m5("-t"), std::string(testing::gorv_usage)},
        Row{{"-c=red"}, ok, "", "", holds("color", {red})},
        Row{{"--color=red"}, ok, "", "", holds("color", {red})},
        Row{{"-c="}, fails(Error::EmptyArgumentProvidedToOption), "", ""},
        Row{{"--color="}, fails(Error::EmptyArgumentProvidedToOption), "", ""},
        Row{{"--color=purple"}, rejected, m5("--color=purple"), std::string(testing::gorv_usage)},
        Row{{"--color", "purple"}, rejected, m5("--color"), std::string(testing::gorv_usage)},
        Row{{"-vh"},
            displayed,
            "",
            std::string(testing::gorv_help),
            [](Command& root) {
                EXPECT_TRUE(is_requested(root, "version"));
                EXPECT_TRUE(is_requested(root, "help"));
            }},
        Row{{"-v=1"},
            rejected,
            "error(pelk): The Option '-v: version' is a Boolean/Toggle and cannot take an "
            "argument.\n",
            "-v, --version <bool>"},
        Row{{"--debug="},
            rejected,
            "error(pelk): The Option '--debug: debug' is a Boolean/Toggle and cannot take an "
            "argument.\n",
            "\u200B\u200B--debug <bool>"},
        Row{{"-d"}, rejected, m1("d"), std::string(testing::gorv_usage)},
        Row{{"-b"}, rejected, m1("b"), std::string(testing::gorv_usage)},
        Row{{"-x"}, rejected, m1("x"), std::string(testing::gorv_usage)},
        Row{{"--colour"}, rejected, m2("colour"), std::string(testing::gorv_usage)},
        Row{{"--=x"}, rejected, m2(""), std::string(testing::gorv_usage)},
        Row{{"--Color"}, rejected, m2("Color"), std::string(testing::gorv_usage)},
        Row{{"-ac"}, rejected, m5("-ac"), std::string(testing::gorv_usage), accents_empty},
        Row{{"-abold"}, rejected, m1("b"), std::string(testing::gorv_usage), accents_empty},
        Row{{"extra"}, rejected, m5("extra"), std::string(testing::gorv_usage)},
        Row{{"--", "-c"}, rejected, m5("-c"), std::string(testing::gorv_usage)},
        Row{{"--"}, ok, "", "", nothing_stored},
        Row{{"help", "x"}, rejected, m5("x", "help"), help_usage},
        Row{{"help", "-x"}, rejected, m5("-x", "help"), help_usage},
        Row{{"help", "--x"}, rejected, m6("--x"), help_usage},
        Row{{"help", "--", "x"}, rejected, m6("x"), help_usage},
        Row{{"version", "-c", "red"}, rejected, m1("c"), std::string(testing::version_usage)},
        Row{{"-c", "version"}, rejected, m5("-c"), std::string(testing::gorv_usage)}));

// Further rows for the rules the edge cases above do not reach.
INSTANTIATE_TEST_SUITE_P(
    Rules, ParserTable,
    ::testing::Values(
        Row{{"--ac", "bold"}, ok, "", "", holds("accents", {bold})},
        Row{{"--s", "rain"}, ok, "", "", holds("style", {Entry{Style::rain}})},
        Row{{"--sp", "fast"}, ok, "", "", holds("speed", {Entry{Speed::fast}})},
        Row{{"--ti=7"}, ok, "", "", holds("time", {Entry{std::uint32_t{7}}})},
        Row{{"--bare", "--debug"},
            ok,
            "",
            "",
            [](Command& root) {
                holds("bare", {Entry{true}})(root);
                holds("debug", {Entry{true}})(root);
            }},
        Row{{"-a=bold;pulse"}, ok, "", "", holds("accents", {bold, pulse})},
        Row{{"-a="}, fails(Error::EmptyArgumentProvidedToOption), "", ""},
        Row{{"-a", "-c", "red"},
            ok,
            "",
            "",
            [](Command& root) {
                accents_empty(root);
                holds("color", {red})(root);
            }},
        Row{{"-ac", "red"}, ok, "", "", holds("color", {red})},
        Row{{"-a", "bold", "-ac", "red"},
            ok,
            "error(pelk): The Option 'accents' has already been set.\n",
            "",
            holds("accents", {bold})},
        Row{{"-t", ""}, rejected, m5("-t"), std::string(testing::gorv_usage)},
        Row{{""}, rejected, m5(""), std::string(testing::gorv_usage)},
        Row{{"-"}, rejected, m5("-"), std::string(testing::gorv_usage)},
        Row{{"-c", "--", "red"}, rejected, m5("-c"), std::string(testing::gorv_usage)},
        Row{{"--", "version"},
            ok,
            "",
            "",
            [](Command& root) { EXPECT_TRUE(is_requested(root, "version")); }},
        Row{{"help", "--"}, displayed, "", std::string(testing::gorv_help)},
        Row{{"help", "--", "--"}, rejected, m6("--"), help_usage},
        Row{{"version", "x"}, rejected, m5("x", "version"), std::string(testing::version_usage)},
        Row{{"version", "--colour"}, rejected, m2("colour"), std::string(testing::version_usage)},
        Row{{"-u=1"},
            rejected,
            "error(pelk): The Option '-u: usage' is a Boolean/Toggle and cannot take an "
            "argument.\n",
            "-u, --usage <bool>"},
        Row{{"--he=x"},
            rejected,
            "error(pelk): The Option '--help: help' is a Boolean/Toggle and cannot take an "
            "argument.\n",
            "-h, --help <bool>"}));

struct Spelling {
    std::vector<std::string> arguments;
    std::string_view display;
};

void PrintTo(const Spelling& row, std::ostream* os) {
    for (const std::string& argument : row.arguments)
        *os << '[' << argument << ']';
}

class DisplaySpellings : public ::testing::TestWithParam<Spelling> {};

TEST_P(DisplaySpellings, WriteTheDisplayAndNothingElse) {
    auto root = make_gorv_command(std::pmr::new_delete_resource());
    ASSERT_TRUE(root);
    const Outcome outcome = parse(**root, GetParam().arguments);
    EXPECT_EQ(outcome.result, displayed);
    EXPECT_EQ(outcome.out, GetParam().display);
    EXPECT_EQ(outcome.stderr, "");
    EXPECT_EQ(outcome.stdout, "");
    EXPECT_EQ(outcome.unflushed, 0u);
}

INSTANTIATE_TEST_SUITE_P(All, DisplaySpellings,
                         ::testing::Values(Spelling{{"help"}, testing::gorv_help},
                                           Spelling{{"-h"}, testing::gorv_help},
                                           Spelling{{"--help"}, testing::gorv_help},
                                           Spelling{{"--h"}, testing::gorv_help},
                                           Spelling{{"-h", "version"}, testing::gorv_help},
                                           Spelling{{"--debug", "help"}, testing::gorv_help},
                                           Spelling{{"version", "-h"}, testing::version_help},
                                           Spelling{{"version", "help"}, testing::version_help},
                                           Spelling{{"version", "--help"}, testing::version_help},
                                           Spelling{{"usage"}, testing::gorv_usage},
                                           Spelling{{"-u"}, testing::gorv_usage},
                                           Spelling{{"--usage"}, testing::gorv_usage},
                                           Spelling{{"--us"}, testing::gorv_usage},
                                           Spelling{{"-hu"}, testing::gorv_usage},
                                           Spelling{{"-u", "help"}, testing::gorv_usage},
                                           Spelling{{"version", "usage"}, testing::version_usage},
                                           Spelling{{"version", "-u"}, testing::version_usage},
                                           Spelling{{"version", "--usage"}, testing::version_usage},
                                           Spelling{{"version", "-hu"}, testing::version_usage}));

// A small tree for the long-name rule: a name matches a word equal to it, or one that
// occurs inside it and starts with the same character; the first match is taken.
TEST(LongNames, FirstOptionWhoseNameMatchesIsTaken) {
    Command command;
    command.name = "tool";
    command.options.emplace();
    for (const std::string_view name : {"tattoo", "speedy", "speed"}) {
        Option option;
        option.name = name;
        option.long_name = name;
        command.options->push_back(option);
    }
    command.options->back().long_aliases = std::vector<std::string_view>{"velocity"};
    ASSERT_TRUE(initialize_command(command, std::pmr::new_delete_resource()));
    struct Case {
        std::string_view word;
        std::string_view option;  // empty: no option matches
    };
    const Case cases[] = {{"tto", "tattoo"}, {"att", ""},       {"speed", "speedy"},
                          {"eed", ""},       {"velo", "speed"}, {"city", ""},
                          {"tattoos", ""},   {"h", "help"},     {"us", "usage"}};
    for (const Case& each : cases) {
        SCOPED_TRACE(std::string(each.word));
        for (Option& option : *command.options)
            option.value = Value{};
        const Outcome outcome = parse(command, {"--" + std::string(each.word)});
        if (each.option.empty()) {
            EXPECT_EQ(outcome.stderr, m2(each.word));
            continue;
        }
        EXPECT_EQ(outcome.stderr, "");
        for (const Option& option : *command.options) {
            EXPECT_EQ(option.value.is_set, option.name == each.option) << option.name;
        }
    }
}

TEST(Parser, RefusesACommandThatIsNotInitialized) {
    Command command;
    command.name = "tool";
    const Outcome outcome = parse(command, {"-x"});
    EXPECT_EQ(outcome.result, (fails(Error::CommandNotInitialized)));
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.stderr, "");
}

TEST(Parser, AFailingDisplayReturnsTheWriteError) {
    const std::vector<std::vector<std::string>> cases = {{"help"}, {"usage"}, {"-x"}, {"-v=1"}};
    for (const auto& arguments : cases) {
        auto root = make_gorv_command(std::pmr::new_delete_resource());
        ASSERT_TRUE(root);
        Arguments argv(arguments);
        ArgumentCursor cursor(argv.span());
        testing::FailingWriter out(10);
        CapturedFd error_capture(STDERR_FILENO);
        EXPECT_EQ(parse_arguments(cursor, **root, out), (fails(Error::WriteFailed)))
            << arguments.front();
    }
}

TEST(Readers, GetValueGivesTheEntryOrTheDefault) {
    auto root = make_gorv_command(std::pmr::new_delete_resource());
    ASSERT_TRUE(root);
    Command& command = **root;
    EXPECT_EQ(get_value(value_of(command, "color")), Entry{Color::default_});
    EXPECT_EQ(get_value(value_of(command, "help")), std::nullopt);
    EXPECT_EQ(get_value(value_of(command, "accents")), std::nullopt);
    ASSERT_TRUE(set_empty(value_of(command, "accents")));
    EXPECT_EQ(get_value(value_of(command, "accents")), std::nullopt);
    value_of(command, "color").is_set = true;
    value_of(command, "color").is_empty = false;  // claims an entry but holds none
    EXPECT_EQ(get_value(value_of(command, "color")), Entry{Color::default_});
}

TEST(Readers, IsRequestedLooksAtBoolOptionsOnly) {
    Command command;
    command.name = "tool";
    command.options.emplace();
    Option text_named_help;
    text_named_help.name = "help";
    text_named_help.value.type = ValueKind::u32;
    text_named_help.value.default_value = Entry{std::uint32_t{1}};
    command.options->push_back(text_named_help);
    ASSERT_TRUE(initialize_command(command, std::pmr::new_delete_resource()));
    EXPECT_FALSE(is_requested(command, "help"));
    command.options->back().value.default_value = Entry{true};
    EXPECT_TRUE(is_requested(command, "help"));
    command.selected_subcommand = &command.subcommands->front();
    EXPECT_TRUE(is_requested(command, "usage"));
}

}  // namespace
}  // namespace gorv
