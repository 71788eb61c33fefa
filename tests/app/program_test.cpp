// Runs the built program for the answers that never reach the terminal: the help, usage
// and version texts, command-line errors and a standard output that cannot be written.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/expected_texts.h"

namespace gorv {
namespace {

enum class Output : std::uint8_t { captured, closed, broken_pipe };

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string stdout;
    std::string stderr;
};

std::string contents(std::FILE* file) {
    std::string bytes;
    if (std::fseek(file, 0, SEEK_SET) != 0) return bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    return bytes;
}

// Runs the program in a new session (so without a controlling terminal), with standard
// input from /dev/null.
ProgramRun run_program(const std::vector<std::string>& arguments,
                       Output output = Output::captured) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    int broken[2] = {-1, -1};
    if (output == Output::broken_pipe) {
        EXPECT_EQ(::pipe(broken), 0);
        ::close(broken[0]);  // the reader is gone before the program writes
    }
    std::vector<std::string> texts{GORV_PROGRAM};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(texts.size() + 1);
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const int null_input = ::open("/dev/null", O_RDONLY);
        ::dup2(null_input, STDIN_FILENO);
        switch (output) {
            case Output::captured:
                ::dup2(::fileno(out), STDOUT_FILENO);
                break;
            case Output::closed:
                ::close(STDOUT_FILENO);
                break;
            case Output::broken_pipe:
                ::dup2(broken[1], STDOUT_FILENO);
                break;
        }
        ::dup2(::fileno(err), STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (broken[1] >= 0) ::close(broken[1]);
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    ProgramRun run;
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.stdout = contents(out);
    run.stderr = contents(err);
    std::fclose(out);
    std::fclose(err);
    return run;
}

struct Row {
    std::vector<std::string> arguments;
    Output output;
    int status;
    std::string stdout;
    std::string stderr;
};

void PrintTo(const Row& row, std::ostream* os) {
    for (const std::string& argument : row.arguments)
        *os << '[' << argument << ']';
    *os << (row.output == Output::captured ? "" : row.output == Output::closed ? " >&-" : " |");
}

const std::string help(testing::gorv_help);
const std::string usage(testing::gorv_usage);
const std::string version_line = "gorv version 0.11.5\n";

class Program : public ::testing::TestWithParam<Row> {};

TEST_P(Program, AnswersWithoutTheTerminal) {
    const Row& row = GetParam();
    const ProgramRun run = run_program(row.arguments, row.output);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.stdout, row.stdout);
    EXPECT_EQ(run.stderr, row.stderr);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Program,
    ::testing::Values(
        Row{{"help"}, Output::captured, 0, help, ""},
        Row{{"--help"}, Output::captured, 0, help, ""}, Row{{"-h"}, Output::captured, 0, help, ""},
        Row{{"--debug", "help"}, Output::captured, 0, help, ""},
        Row{{"version", "-h"}, Output::captured, 0, std::string(testing::version_help), ""},
        Row{{"usage"}, Output::captured, 0, usage, ""},
        Row{{"version", "usage"}, Output::captured, 0, std::string(testing::version_usage), ""},
        Row{{"version"}, Output::captured, 0, version_line, ""},
        Row{{"-v"}, Output::captured, 0, version_line, ""},
        Row{{"--version", "--debug"}, Output::captured, 0, version_line, ""},
        Row{{"-t5x"}, Output::captured, 1, "", "error: InvalidCharacter\n"},
        // A command-line error reported with its log line and a usage display fails too.
        Row{{"-x"}, Output::captured, 1, usage, "error(pelk): Could not parse Option '-x'.\n"},
        Row{{"--colour"},
            Output::captured,
            1,
            usage,
            "error(pelk): Could not parse Argument '--colour' to an Option.\n"},
        Row{{"-c", "purple"},
            Output::captured,
            1,
            usage,
            "error(pelk): Unrecognized Argument '-c' for Command 'gorv'.\n"},
        Row{{"--debug="},
            Output::captured,
            1,
            "\u200B\u200B--debug <bool>",
            "error(pelk): The Option '--debug: debug' is a Boolean/Toggle and cannot take an "
            "argument.\n"},
        Row{{"help", "extra"},
            Output::captured,
            1,
            "┌────┐\n│gorv│\n└────┘\nUSAGE:\n        help",
            "error(pelk): Unrecognized Argument 'extra' for Command 'help'.\n"},
        // The version line after a rejected command line's usage display: the error decides.
        Row{{"-v", "extra"},
            Output::captured,
            1,
            usage + version_line,
            "error(pelk): Unrecognized Argument 'extra' for Command 'gorv'.\n"},
        // The message about accents given twice does not stop the parse.
        Row{{"-a", "bold", "-a", "-v"},
            Output::captured,
            0,
            version_line,
            "error(pelk): The Option 'accents' has already been set.\n"},
        Row{{"-x"},
            Output::closed,
            1,
            "",
            "error(pelk): Could not parse Option '-x'.\nerror: WriteFailed\n"},
        Row{{"version"}, Output::closed, 1, "", "error: WriteFailed\n"},
        Row{{"help"}, Output::closed, 1, "", "error: WriteFailed\n"},
        Row{{"help"}, Output::broken_pipe, 1, "", "error: WriteFailed\n"},
        Row{{"version"}, Output::broken_pipe, 1, "", "error: WriteFailed\n"}));

}  // namespace
}  // namespace gorv
