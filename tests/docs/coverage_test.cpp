// The built manual page names every option and every sub-command of the program's tree,
// each where a reader looks for it; the tree is walked here directly, not through the
// generator. The completions are held to the tree by the shell tests.

#include <gtest/gtest.h>

#include <fstream>
#include <memory_resource>
#include <sstream>
#include <string>

#include "cli/command.h"

namespace gorv {
namespace {

std::string read_file(const char* path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string bold(std::string_view text) {
    std::string escaped;
    for (char c : text)
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return "\\fB" + escaped + "\\fR";
}

// The heading of an option's entry: "\fB\-c\fR, \fB\-\-color\fR" and so on.
std::string option_heading(const Option& option) {
    std::string heading;
    if (option.short_name) heading += bold(std::string{'-', *option.short_name});
    if (option.long_name) {
        if (!heading.empty()) heading += ", ";
        heading += bold("--" + std::string(*option.long_name));
    }
    return ".TP\n" + heading;
}

void expect_covered(const std::string& page, const Command& command, const std::string& path) {
    if (command.options) {
        for (const Option& option : *command.options) {
            if (option.hidden) continue;
            EXPECT_NE(page.find(option_heading(option)), std::string::npos)
                << path << " " << option.name;
        }
    }
    if (!command.subcommands) return;
    for (const Command& subcommand : *command.subcommands) {
        if (subcommand.hidden) continue;
        const std::string sub_path =
            path.empty() ? std::string(subcommand.name) : path + " " + std::string(subcommand.name);
        EXPECT_NE(page.find(".TP\n" + bold(sub_path) + "\n"), std::string::npos) << sub_path;
        expect_covered(page, subcommand, sub_path);
    }
}

TEST(Coverage, TheManualPageHasEveryOptionAndSubcommand) {
    const std::string page = read_file(GORV_MAN_PAGE);
    ASSERT_FALSE(page.empty()) << GORV_MAN_PAGE;
    Result<std::unique_ptr<Command>> tree = make_gorv_command(std::pmr::new_delete_resource());
    ASSERT_TRUE(tree.has_value());
    expect_covered(page, **tree, "");
}

}  // namespace
}  // namespace gorv
