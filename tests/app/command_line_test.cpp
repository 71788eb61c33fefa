#include "app/command_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "cli/cli_test_support.h"
#include "cli/expected_texts.h"
#include "cli/parser.h"
#include "cli/value_parsers.h"

namespace gorv {
namespace {

using testing::Arguments;
using testing::CapturedFd;

Status fails(Error error) {
    return std::unexpected(error);
}

std::unique_ptr<Command> parsed_tree(const std::vector<std::string>& arguments) {
    auto root = make_gorv_command(std::pmr::new_delete_resource());
    EXPECT_TRUE(root);
    Arguments argv(arguments);
    ArgumentCursor cursor(argv.span());
    MemoryWriter out;
    EXPECT_TRUE(parse_arguments(cursor, **root, out));
    return std::move(*root);
}

struct SettingsRow {
    std::vector<std::string> arguments;
    Settings expected;
};

void PrintTo(const SettingsRow& row, std::ostream* os) {
    for (const std::string& argument : row.arguments)
        *os << '[' << argument << ']';
}

Settings with(auto change) {
    Settings settings;
    change(settings);
    return settings;
}

class SettingsTable : public ::testing::TestWithParam<SettingsRow> {};

TEST_P(SettingsTable, FromTheParsedCommand) {
    const auto root = parsed_tree(GetParam().arguments);
    const Result<Settings> settings = settings_from_command(*root);
    ASSERT_TRUE(settings);
    const Settings& expected = GetParam().expected;
    EXPECT_EQ(settings->debug, expected.debug);
    EXPECT_EQ(settings->bare, expected.bare);
    EXPECT_EQ(settings->color, expected.color);
    EXPECT_EQ(settings->style, expected.style);
    EXPECT_EQ(settings->mode, expected.mode);
    EXPECT_EQ(settings->time, expected.time);
    EXPECT_EQ(settings->speed, expected.speed);
    EXPECT_EQ(settings->accents, expected.accents);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsTable,
    ::testing::Values(SettingsRow{{}, Settings{}},
                      SettingsRow{{"-a"}, with([](Settings& s) {
                                      s.accents =
                                          std::vector{Accent::bright, Accent::bold, Accent::dim};
                                  })},
                      SettingsRow{{"-a", "pulse", "-a", "pulse"}, with([](Settings& s) {
                                      s.accents = std::vector{Accent::pulse, Accent::pulse};
                                  })},
                      SettingsRow{{"-a", "dim,bold;pulse,bright,dim"}, with([](Settings& s) {
                                      s.accents = std::vector{Accent::dim, Accent::bold,
                                                              Accent::pulse, Accent::bright};
                                  })},
                      SettingsRow{{"-a", "pulse", "-a"}, with([](Settings& s) {
                                      s.accents = std::vector{Accent::pulse};
                                  })},
                      SettingsRow{{"-c", "yellow", "-s", "rain", "-m", "textual", "-t", "0x10",
                                   "--speed", "slow", "--bare", "--debug"},
                                  with([](Settings& s) {
                                      s.color = Color::yellow;
                                      s.style = Style::rain;
                                      s.mode = Mode::textual;
                                      s.time = 16;
                                      s.speed = Speed::slow;
                                      s.bare = true;
                                      s.debug = true;
                                  })},
                      SettingsRow{{"-cblue"}, with([](Settings& s) { s.color = Color::blue; })}));

TEST(SettingsFromCommand, ColoursKeepTheirNumbers) {
    EXPECT_EQ(static_cast<int>(settings_from_command(*parsed_tree({"-c", "yellow"}))->color), 4);
    EXPECT_EQ(static_cast<int>(settings_from_command(*parsed_tree({"-c", "blue"}))->color), 5);
}

// A completed command whose options are those given, for the conversion's guards.
std::unique_ptr<Command> command_with(std::vector<Option> options) {
    auto command = std::make_unique<Command>();
    command->name = "tool";
    command->options = std::move(options);
    EXPECT_TRUE(initialize_command(*command, std::pmr::new_delete_resource()));
    return command;
}

Option option_of(std::string_view name, ValueKind kind, std::optional<Entry> default_value) {
    Option option;
    option.name = name;
    option.long_name = name;
    option.value.type = kind;
    option.value.default_value = default_value;
    return option;
}

TEST(SettingsFromCommand, Guards) {
    Command never_completed;
    never_completed.options.emplace();
    EXPECT_EQ(settings_from_command(never_completed).error(), Error::CommandNotInitialized);

    Command no_options;
    no_options.initialized = true;
    EXPECT_EQ(settings_from_command(no_options).error(), Error::NoOptionsInCommand);
    no_options.options.emplace();
    EXPECT_EQ(settings_from_command(no_options).error(), Error::NoOptionsInCommand);

    auto mismatch = command_with({option_of("color", ValueKind::u32, Entry{std::uint32_t{2}})});
    EXPECT_EQ(settings_from_command(*mismatch).error(), Error::RequestedTypeMismatch);

    auto default_mismatch = command_with({option_of("mode", ValueKind::mode, Entry{true})});
    EXPECT_EQ(settings_from_command(*default_mismatch).error(), Error::RequestedTypeMismatch);

    auto accents_mismatch =
        command_with({option_of("accents", ValueKind::color, Entry{Color::red})});
    ASSERT_TRUE(set_empty(accents_mismatch->options->front().value));
    EXPECT_EQ(settings_from_command(*accents_mismatch).error(), Error::RequestedTypeMismatch);

    // Given empty without a default: a flag reads false, anything else has no value.
    auto empty_style = command_with({option_of("style", ValueKind::style, std::nullopt)});
    ASSERT_TRUE(set_empty(empty_style->options->front().value));
    EXPECT_EQ(settings_from_command(*empty_style).error(), Error::ValueNotSet);
    auto empty_debug = command_with({option_of("debug", ValueKind::boolean, std::nullopt)});
    ASSERT_TRUE(set_empty(empty_debug->options->front().value));
    const Result<Settings> debug = settings_from_command(*empty_debug);
    ASSERT_TRUE(debug);
    EXPECT_FALSE(debug->debug);

    // Without a default and not given, an option leaves its field alone.
    auto absent = command_with({option_of("time", ValueKind::u32, std::nullopt)});
    EXPECT_EQ(settings_from_command(*absent)->time, 0u);
}

// One run of the stage with standard output and standard error captured.
struct StageRun {
    Result<CommandLine> outcome;
    Status ended;
    std::string stdout;
    std::string stderr;
};

StageRun run_stage(const std::vector<std::string>& arguments) {
    Arguments argv(arguments);
    CapturedFd error_capture(STDERR_FILENO);
    CapturedFd output_capture(STDOUT_FILENO);
    CommandLineStage stage;
    Result<CommandLine> outcome = stage.read_command_line(argv.span());
    Status ended = stage.end_command_line();
    std::string out = output_capture.text();
    std::string err = error_capture.text();
    return {std::move(outcome), ended, std::move(out), std::move(err)};
}

struct StageRow {
    std::vector<std::string> arguments;
    Result<bool> answered;
    std::string stdout;
    std::string stderr;
    bool rejected = false;
};

void PrintTo(const StageRow& row, std::ostream* os) {
    for (const std::string& argument : row.arguments)
        *os << '[' << argument << ']';
}

const std::string version_line = "gorv version 0.11.5\n";

class StageTable : public ::testing::TestWithParam<StageRow> {};

TEST_P(StageTable, AnswersOrSettings) {
    const StageRow& row = GetParam();
    const StageRun run = run_stage(row.arguments);
    if (row.answered) {
        ASSERT_TRUE(run.outcome) << error_name(run.outcome.error());
        EXPECT_EQ(run.outcome->answered, *row.answered);
        EXPECT_EQ(run.outcome->rejected, row.rejected);
    } else {
        ASSERT_FALSE(run.outcome);
        EXPECT_EQ(run.outcome.error(), row.answered.error());
    }
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.stdout, row.stdout);
    EXPECT_EQ(run.stderr, row.stderr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StageTable,
    ::testing::Values(
        StageRow{{}, false, "", ""}, StageRow{{"version"}, true, version_line, ""},
        StageRow{{"--version"}, true, version_line, ""}, StageRow{{"-v"}, true, version_line, ""},
        StageRow{{"--debug", "-v"}, true, version_line, ""},
        StageRow{{"-v", "-h"}, true, std::string(testing::gorv_help) + version_line, ""},
        StageRow{{"version", "-h"}, true, std::string(testing::version_help), ""},
        StageRow{{"help"}, true, std::string(testing::gorv_help), ""},
        StageRow{{"--debug", "usage"}, true, std::string(testing::gorv_usage), ""},
        StageRow{{"-x"},
                 true,
                 std::string(testing::gorv_usage),
                 "error(pelk): Could not parse Option '-x'.\n",
                 true},
        StageRow{{"-c", "purple"},
                 true,
                 std::string(testing::gorv_usage),
                 "error(pelk): Unrecognized Argument '-c' for Command 'gorv'.\n",
                 true},
        // The version line still follows the usage display of a rejected command line.
        StageRow{{"-v", "extra"},
                 true,
                 std::string(testing::gorv_usage) + version_line,
                 "error(pelk): Unrecognized Argument 'extra' for Command 'gorv'.\n",
                 true},
        StageRow{{"-a", "bold", "-a"},
                 false,
                 "",
                 "error(pelk): The Option 'accents' has already been set.\n"},
        StageRow{{"-t5x"}, std::unexpected(Error::InvalidCharacter), "", ""},
        StageRow{{"--color="}, std::unexpected(Error::EmptyArgumentProvidedToOption), "", ""},
        StageRow{{"-cpurple"}, std::unexpected(Error::CannotParseArgToValue), "", ""}));

TEST(Stage, DebugWithHelpIsStillAnAnswer) {
    const StageRun run = run_stage({"--debug", "help"});
    ASSERT_TRUE(run.outcome);
    EXPECT_TRUE(run.outcome->answered);
    EXPECT_TRUE(run.outcome->settings.debug);
}

TEST(Stage, ClosedStandardOutputFailsTheFinalFlush) {
    Arguments argv({"version"});
    CapturedFd output_capture(STDOUT_FILENO);
    const int saved = ::dup(STDOUT_FILENO);
    ::close(STDOUT_FILENO);
    CommandLineStage stage;
    const Result<CommandLine> outcome = stage.read_command_line(argv.span());
    const Status ended = stage.end_command_line();
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->answered);
    EXPECT_EQ(ended, fails(Error::WriteFailed));
}

}  // namespace
}  // namespace gorv
