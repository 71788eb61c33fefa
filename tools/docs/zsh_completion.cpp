// The zsh completion: the #compdef line, the hand-written helpers of shell/gorv.zsh, then
// one function per command made here, each a call of _arguments with the command's
// options, and the call of the root's function.

#include <new>

#include "completion_text.h"
#include "completions.h"

namespace gorv::docs {
namespace {

// Escapes a text for a zsh option description in brackets, inside single quotes.
std::string zsh_description(std::string_view text) {
    return backslashed(text, "[]:\\");
}

// "_gorv_version" for the path "gorv version".
std::string zsh_function_name(std::string_view path) {
    std::string name = "_";
    for (char c : path)
        name += c == ' ' ? '_' : c;
    return name;
}

// "gorv-version" for the path "gorv version": the command's part of a completion context.
std::string zsh_context(std::string_view path) {
    std::string context(path);
    for (char& c : context) {
        if (c == ' ') c = '-';
    }
    return context;
}

// The completion of an option's argument: a list of choices, the list helper, or
// nothing but the type as a message.
std::string zsh_argument_action(const OptionFacts& option, std::string_view prefix) {
    if (option.choices.empty()) return " ";
    if (option.list) {
        return std::string(prefix) + "_choose_more -- " + backslashed(option.separators, ",;|&") +
               " " + joined(option.choices);
    }
    return "(" + joined(option.choices) + ")";
}

void zsh_option_specs(std::string& out, const OptionFacts& option, std::string_view prefix) {
    std::vector<std::string> forms;
    if (option.short_name) {
        forms.push_back(std::string{'-', *option.short_name} + (option.flag ? "" : "+"));
    }
    for (std::string_view form : long_forms(option))
        forms.push_back("--" + std::string(form) + (option.flag ? "" : "="));

    // A list option may be repeated; any other excludes its own other forms.
    std::string exclusions = "*";
    if (!option.list) {
        std::vector<std::string> names;
        if (option.short_name) names.push_back(std::string{'-', *option.short_name});
        for (std::string_view form : long_forms(option))
            names.push_back("--" + std::string(form));
        exclusions = "(";
        for (const std::string& name : names)
            exclusions += (exclusions.size() > 1 ? " " : "") + name;
        exclusions += ")";
    }
    std::string argument;
    if (!option.flag) {
        argument = (option.argument_optional ? "::" : ":") + zsh_description(option.type_text) +
                   ":" + zsh_argument_action(option, prefix);
    }
    const std::string rest = "[" + zsh_description(menu_text(option)) + "]" + argument;
    for (const std::string& form : forms) {
        std::string spec = exclusions;
        spec.append(form).append(rest);
        out.append("        ").append(single_quoted(spec)).append(" \\\n");
    }
}

void zsh_command_function(std::string& out, const CommandAt& at, std::string_view prefix) {
    const CommandFacts& command = *at.command;
    out += "\n# Completes the words of '" + at.path + "'.\n";
    out += zsh_function_name(at.path) + "() {\n";
    out += "    local curcontext=$curcontext state state_descr line ret=1\n";
    out += "    typeset -A opt_args\n";
    out += "    _arguments -C -s -S : \\\n";
    for (const OptionFacts& option : command.options)
        zsh_option_specs(out, option, prefix);
    if (command.subcommands.empty()) {
        out += "        && ret=0\n    return ret\n}\n";
        return;
    }
    out += "        ': :->command' \\\n        '*:: :->argument' && ret=0\n";
    out += "    case $state in\n        (command)\n";
    std::string optional;
    for (const OptionFacts& option : command.options) {
        if (!option.flag && option.argument_optional) {
            if (option.short_name) {
                optional += "|-" + std::string{*option.short_name} + "|-[^-]*" +
                            std::string{*option.short_name};
            }
            for (std::string_view form : long_forms(option))
                optional += "|--" + std::string(form);
        }
    }
    if (!optional.empty()) {
        out +=
            "            # The word after an option whose argument may be left out is that\n"
            "            # argument to the program (_arguments completes it), never a command.\n";
        out +=
            "            [[ $words[CURRENT-1] == (" + optional.substr(1) + ") ]] && return ret\n";
    }
    out += "            local -a commands=(\n";
    for (const CommandFacts& subcommand : command.subcommands) {
        out += "                " +
               single_quoted(backslashed(subcommand.name, ":\\") + ":" +
                             std::string(menu_text(subcommand))) +
               "\n";
    }
    out += "            )\n            _describe -t commands " +
           single_quoted(at.path + " command") + " commands && ret=0\n            ;;\n";
    out += "        (argument)\n            curcontext=${curcontext%:*:*}:" + zsh_context(at.path) +
           "-$words[1]:\n";
    out += "            case $words[1] in\n";
    for (const CommandFacts& subcommand : command.subcommands) {
        const std::string path = at.path + " " + std::string(subcommand.name);
        out += "                (" + backslashed(subcommand.name, "()|*?[]<>~#^ ") + ") ";
        if (subcommand.options.empty() && subcommand.subcommands.empty()) {
            out += "_message 'no more arguments' ;;\n";
        } else {
            out += zsh_function_name(path) + " && ret=0 ;;\n";
        }
    }
    out += "            esac\n            ;;\n    esac\n    return ret\n}\n";
}

std::string zsh_text(const CommandFacts& root, std::string_view shell_code) {
    const std::string prefix = "_" + std::string(root.name);
    std::string out = "#compdef " + std::string(root.name) + "\n";
    out += "# zsh completion for " + std::string(root.name) +
           ". Made by gorv_docs from the program's command tree and "
           "tools/docs/shell/gorv.zsh.\n\n";
    out += shell_code;
    std::vector<CommandAt> commands = all_commands(root);
    // The root last, so that its function is the one the file ends by calling.
    for (std::size_t i = commands.size(); i-- > 1;) {
        const CommandAt& at = commands[i];
        if (at.command->options.empty() && at.command->subcommands.empty()) continue;
        zsh_command_function(out, at, prefix);
    }
    zsh_command_function(out, commands.front(), prefix);
    out += "\n" + prefix + " \"$@\"\n";
    return out;
}

}  // namespace

Result<std::string> zsh_completion(const CommandFacts& root, std::string_view shell_code) {
    try {
        return zsh_text(root, shell_code);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

}  // namespace gorv::docs
