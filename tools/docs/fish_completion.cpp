// The fish completion: functions that describe the command tree, made here, then the
// hand-written helpers of shell/gorv.fish, then one complete command for each option and
// sub-command of every command.

#include <new>

#include "completion_text.h"
#include "completions.h"

namespace gorv::docs {
namespace {

// The text inside fish's single quotes, where a backslash escapes a quote or itself.
std::string fish_quoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

std::string fish_text(const CommandFacts& root, std::string_view shell_code) {
    const std::string prefix = "__" + std::string(root.name);
    std::string subcommand_arms, argument_arms, choice_arms, completes;
    for (const CommandAt& at : all_commands(root)) {
        const std::string condition =
            "-n " + fish_quoted(prefix + "_command_is " + fish_quoted(at.path));
        for (const CommandFacts& subcommand : at.command->subcommands) {
            subcommand_arms += "        case " +
                               fish_quoted(at.path + "/" + std::string(subcommand.name)) +
                               "\n            echo " +
                               fish_quoted(at.path + " " + std::string(subcommand.name)) + "\n";
            completes += "complete -c " + std::string(root.name) + " " + condition + " -a " +
                         fish_quoted(subcommand.name) + " -d " +
                         fish_quoted(menu_text(subcommand)) + "\n";
        }
        for (const OptionFacts& option : at.command->options) {
            std::string line = "complete -c " + std::string(root.name) + " " + condition;
            if (option.short_name) line += " -s " + std::string{*option.short_name};
            for (std::string_view form : long_forms(option))
                line += " -l " + std::string(form);
            if (!option.flag) {
                line += " -x";
                std::vector<std::string> patterns;
                if (option.short_name)
                    patterns.push_back(at.path + "/-" + std::string{*option.short_name});
                for (std::string_view form : long_forms(option))
                    patterns.push_back(at.path + "/--" + std::string(form));
                argument_arms += "        case";
                for (const std::string& pattern : patterns)
                    argument_arms += " " + fish_quoted(pattern);
                argument_arms += "\n            return 0\n";
            }
            if (!option.choices.empty()) {
                const std::string key(key_of(option));
                choice_arms += "        case " + fish_quoted(at.path + "/" + key) +
                               "\n            printf '%s\\t%s\\n'";
                for (std::string_view choice : option.choices) {
                    choice_arms +=
                        " \\\n                " + fish_quoted(choice) + " " +
                        fish_quoted(value_menu_text(option, choice).value_or(menu_text(option)));
                }
                choice_arms += "\n";
                // The choices, or for a list those not given yet after its last separator.
                std::string arguments;
                if (option.list) {
                    arguments.append("(").append(prefix).append("_choose_more ");
                    arguments.append(fish_quoted(option.separators)).append(" ");
                }
                arguments.append("(").append(prefix).append("_choices ");
                arguments.append(fish_quoted(at.path)).append(" ").append(key).append(")");
                if (option.list) arguments.append(")");
                line.append(" -a ").append(fish_quoted(arguments));
            }
            line += " -d " + fish_quoted(menu_text(option));
            completes += line + "\n";
        }
    }

    std::string out = "# fish completion for " + std::string(root.name) +
                      ". Made by gorv_docs from the program's command tree and "
                      "tools/docs/shell/gorv.fish.\n";
    out += "\n# The path of the sub-command that WORD selects in COMMAND, if any.\n";
    out += "function " + prefix + "_subcommand --argument-names command word\n";
    out += "    switch \"$command/$word\"\n" + subcommand_arms + "    end\nend\n";
    out += "\n# Succeeds when WORD is one of COMMAND's options that take an argument.\n";
    out += "function " + prefix + "_takes_argument --argument-names command word\n";
    out += "    switch \"$command/$word\"\n" + argument_arms + "    end\n    return 1\nend\n";
    out += "\n# The values of COMMAND's option NAME, each with its description after a tab.\n";
    out += "function " + prefix + "_choices --argument-names command name\n";
    out += "    switch \"$command/$name\"\n" + choice_arms + "    end\nend\n";
    out += "\n";
    out += shell_code;
    out += "\ncomplete -c " + std::string(root.name) + " -f\n" + completes;
    return out;
}

}  // namespace

Result<std::string> fish_completion(const CommandFacts& root, std::string_view shell_code) {
    try {
        return fish_text(root, shell_code);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

}  // namespace gorv::docs
