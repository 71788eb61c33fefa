// The bash completion: functions that describe the command tree, made here, followed by
// the hand-written completion in shell/gorv.bash, which calls them.

#include <new>

#include "completion_text.h"
#include "completions.h"

namespace gorv::docs {
namespace {

// The case arms of one generated function, and the function around them.
struct CaseFunction {
    std::string arms;

    // An arm for the subject (a command path, or "path/word").
    void arm(std::string_view subject, std::string_view body) {
        arms += "        " + single_quoted(subject) + ") " + std::string(body) + " ;;\n";
    }

    // An arm that prints the words, unless there are none.
    void echo(std::string_view subject, std::string_view words) {
        if (!words.empty()) arm(subject, "echo " + single_quoted(words));
    }

    // The function NAME with a comment, a case on `subject` and `otherwise` for the rest.
    [[nodiscard]] std::string text(std::string_view name, std::string_view comment,
                                   std::string_view subject, std::string_view otherwise) const {
        return "\n" + std::string(comment) + std::string(name) + "() {\n    case " +
               std::string(subject) + " in\n" + arms + "        *) " + std::string(otherwise) +
               " ;;\n    esac\n}\n";
    }
};

std::string bash_text(const CommandFacts& root, std::string_view shell_code) {
    const std::string prefix = "_" + std::string(root.name);
    CaseFunction subcommand, subcommands, options, long_names, short_name, argument, complete;
    for (const CommandAt& at : all_commands(root)) {
        std::vector<std::string_view> names;
        for (const CommandFacts& sub : at.command->subcommands) {
            const std::string path = at.path + " " + std::string(sub.name);
            subcommand.echo(at.path + "/" + std::string(sub.name), path);
            names.push_back(sub.name);
        }
        subcommands.echo(at.path, joined(names));

        std::vector<std::string> shorts, longs;
        std::vector<std::string_view> long_order;
        for (const OptionFacts& option : at.command->options) {
            const std::string key(key_of(option));
            if (option.short_name) {
                shorts.push_back(std::string{'-', *option.short_name});
                short_name.echo(at.path + "/" + std::string{*option.short_name}, key);
            }
            for (std::string_view form : long_forms(option)) {
                longs.push_back("--" + std::string(form));
                long_order.push_back(form);
            }
            if (!option.flag) {
                argument.echo(at.path + "/" + key,
                              option.argument_optional ? "optional" : "required");
            }
            if (!option.choices.empty()) {
                complete.arm(at.path + "/" + key,
                             option.list
                                 ? prefix + "_choose_more " + single_quoted(option.separators) +
                                       " " + joined(option.choices)
                                 : prefix + "_choose " + joined(option.choices));
            }
        }
        shorts.insert(shorts.end(), longs.begin(), longs.end());
        std::string words;
        for (const std::string& word : shorts)
            words += (words.empty() ? "" : " ") + word;
        options.echo(at.path, words);
        long_names.echo(at.path, joined(long_order));
    }

    std::string out = "# bash completion for " + std::string(root.name) +
                      ". Made by gorv_docs from the program's command tree and "
                      "tools/docs/shell/gorv.bash.\n";
    out += subcommand.text(prefix + "_subcommand",
                           "# The path of the sub-command that WORD selects in COMMAND.\n",
                           "\"$1/$2\"", ":");
    out += subcommands.text(prefix + "_subcommands", "# The sub-commands of COMMAND.\n", "$1", ":");
    out += options.text(prefix + "_options", "# COMMAND's options as typed, short ones first.\n",
                        "$1", ":");
    out += long_names.text(prefix + "_long_names",
                           "# COMMAND's long option names, in the order in which a shortened\n"
                           "# name is matched.\n",
                           "$1", ":");
    out += short_name.text(prefix + "_short_name",
                           "# The long name of COMMAND's option with the short name LETTER.\n",
                           "\"$1/$2\"", "return 1");
    out += argument.text(prefix + "_argument",
                         "# How COMMAND's option NAME takes an argument: none, optional or\n"
                         "# required.\n",
                         "\"$1/$2\"", "echo none");
    out += complete.text(prefix + "_complete_argument",
                         "# Completes $cur as the argument of COMMAND's option NAME.\n",
                         "\"$1/$2\"", "COMPREPLY=()");
    out += "\n";
    out += shell_code;
    return out;
}

}  // namespace

Result<std::string> bash_completion(const CommandFacts& root, std::string_view shell_code) {
    try {
        return bash_text(root, shell_code);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

}  // namespace gorv::docs
