#include "completions.h"

#include <new>
#include <string_view>
#include <vector>

namespace gorv::docs {
namespace {

// A command with its path of names from the root, such as "gorv version".
struct CommandAt {
    std::string path;
    const CommandFacts* command;
};

void collect(std::vector<CommandAt>& all, const CommandFacts& command, const std::string& path) {
    all.push_back({path, &command});
    for (const CommandFacts& subcommand : command.subcommands)
        collect(all, subcommand, path + " " + std::string(subcommand.name));
}

std::vector<CommandAt> all_commands(const CommandFacts& root) {
    std::vector<CommandAt> all;
    collect(all, root, std::string(root.name));
    return all;
}

std::string_view key_of(const OptionFacts& option) {
    return option.long_name.value_or(option.name);
}

// Every long form of an option: its long name, then its aliases.
std::vector<std::string_view> long_forms(const OptionFacts& option) {
    std::vector<std::string_view> forms;
    if (option.long_name) forms.push_back(*option.long_name);
    forms.insert(forms.end(), option.long_aliases.begin(), option.long_aliases.end());
    return forms;
}

std::string joined(const std::vector<std::string_view>& words, std::string_view joiner = " ") {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += joiner;
        text += words[i];
    }
    return text;
}

// The text inside POSIX single quotes.
std::string single_quoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// The text inside fish's single quotes, where a backslash escapes a quote or itself.
std::string fish_quoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

// The text with a backslash before every character of `special`.
std::string backslashed(std::string_view text, std::string_view special) {
    std::string out;
    for (char c : text) {
        if (special.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// A description for a completion menu: the summary without its final full stop.
std::string_view menu_text(const OptionFacts& option) {
    std::string_view text = option.summary;
    if (text.ends_with('.')) text.remove_suffix(1);
    return text;
}

std::string_view menu_text(const CommandFacts& command) {
    std::string_view text = command.description;
    if (text.ends_with('.')) text.remove_suffix(1);
    return text;
}

// ---------------------------------------------------------------------------------------
// bash

constexpr std::string_view bash_helpers = R"shell(
# The long name of the option that WORD names in COMMAND. Long names may be shortened as
# the program allows. A group of short letters counts by its last letter, and by none
# when an earlier letter takes the rest of the group as its argument.
<prefix>_option_name() {
    local command=$1 word=$2 name j
    case $word in
        *=*) return 1 ;;
        --?*)
            word=${word#--}
            for name in $(<prefix>_long_names "$command"); do
                if [[ ${name:0:1} == "${word:0:1}" && $name == *"$word"* ]]; then
                    echo "$name"
                    return 0
                fi
            done
            return 1
            ;;
        -?*)
            word=${word#-}
            for ((j = 0; j < ${#word}; j++)); do
                name=$(<prefix>_short_name "$command" "${word:j:1}") || return 1
                if ((j + 1 < ${#word})) && [[ $(<prefix>_argument "$command" "$name") == required ]]; then
                    return 1
                fi
            done
            echo "$name"
            ;;
        *) return 1 ;;
    esac
}

# Completes $cur from the choices.
<prefix>_choose() {
    COMPREPLY=($(compgen -W "$*" -- "$cur"))
}

# Completes one more entry of a list in $cur: SEPARATORS, then the choices. The text up
# to the last separator stays; the choices given there already are not offered again.
<prefix>_choose_more() {
    local separators=$1
    shift
    local given=${cur%"${cur##*[$separators]}"}
    local -a used remaining=()
    IFS=$separators read -ra used <<<"$given"
    local choice
    for choice; do
        [[ " ${used[*]} " == *" $choice "* ]] || remaining+=("$choice")
    done
    COMPREPLY=($(compgen -P "$given" -W "${remaining[*]}" -- "${cur:${#given}}"))
}

<prefix>() {
    local cur prev words cword split
    _init_completion -s || return

    # The command that the words before the cursor select. An option takes the next word
    # as its argument unless that word starts with "-"; an argument never counts as a
    # sub-command.
    local command=<root> i word name next
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        next=$(<prefix>_subcommand "$command" "$word")
        if [[ -n $next ]]; then
            command=$next
        elif name=$(<prefix>_option_name "$command" "$word") &&
            [[ $(<prefix>_argument "$command" "$name") != none && ${words[i + 1]-} != -* ]]; then
            ((i++))
        fi
    done

    # The argument of the option before the cursor.
    if [[ $cur != -* ]] && name=$(<prefix>_option_name "$command" "$prev") &&
        [[ $(<prefix>_argument "$command" "$name") != none ]]; then
        # Readline completes a quoted word from after its opening quote.
        cur=${cur#[\"\']}
        <prefix>_complete_argument "$command" "$name"
        return
    fi
    [[ $split == true ]] && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(<prefix>_options "$command")" -- "$cur"))
    else
        COMPREPLY=($(compgen -W "$(<prefix>_subcommands "$command")" -- "$cur"))
    fi
} &&
    complete -F <prefix> <root>
)shell";

// The helpers' text with "<root>" replaced by the program's name and "<prefix>" by the
// prefix of the generated functions.
std::string expand(std::string_view text, std::string_view prefix, std::string_view root) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with("<root>")) {
            out += root;
            at += 6;
        } else if (text.substr(at).starts_with("<prefix>")) {
            out += prefix;
            at += 8;
        } else {
            out += text[at++];
        }
    }
    return out;
}

// The case arms of one generated function, and the function around them.
struct CaseFunction {
    std::string arms;

    // An arm for the subject (a command path, or "path/word"), unless `words` is empty.
    void arm(std::string_view subject, std::string_view body) {
        arms += "        " + single_quoted(subject) + ") " + std::string(body) + " ;;\n";
    }

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

std::string bash_text(const CommandFacts& root) {
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
                      ". Made by gorv_docs from the program's command tree.\n";
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
    out += expand(bash_helpers, prefix, root.name);
    return out;
}

// ---------------------------------------------------------------------------------------
// zsh

constexpr std::string_view zsh_helpers = R"shell(
# Completes one more entry of a list: compadd's options, "--", the separators, then the
# choices. The text up to the last separator stays; the choices given there already are
# not offered again.
(( $+functions[<prefix>_choose_more] )) ||
<prefix>_choose_more() {
    setopt localoptions extendedglob
    local -a expl choices used
    while (( $# )) && [[ $1 != -- ]]; do
        expl+=("$1")
        shift
    done
    shift
    local separators=$1
    shift
    choices=("$@")
    used=(${(s: :)${${PREFIX%%[^$separators]#}//[$separators]/ }})
    compset -P "*[$separators]"
    compadd "${expl[@]}" -- ${choices:|used}
}
)shell";

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

std::string zsh_text(const CommandFacts& root) {
    const std::string prefix = "_" + std::string(root.name);
    std::string out = "#compdef " + std::string(root.name) + "\n";
    out += "# zsh completion for " + std::string(root.name) +
           ". Made by gorv_docs from the program's command tree.\n";
    out += expand(zsh_helpers, prefix, root.name);
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

// ---------------------------------------------------------------------------------------
// fish

constexpr std::string_view fish_helpers = R"shell(
# Succeeds when the words before the cursor have reached the command PATH, such as
# "<root> version". An option takes the next word as its argument unless that word starts
# with "-"; an argument never counts as a sub-command.
function <prefix>_command_is --argument-names path
    set -l reached <root>
    set -l argument 0
    for word in (commandline -opc)[2..]
        if test $argument = 1; and not string match -q -- '-*' $word
            set argument 0
            continue
        end
        set argument 0
        set -l next (<prefix>_subcommand $reached $word)
        if test -n "$next"
            set reached $next
        else if <prefix>_takes_argument $reached $word
            set argument 1
        end
    end
    test "$reached" = "$path"
end

# Prints one more entry of a list for the token under the cursor: SEPARATORS, then the
# choices. The text up to the last separator stays; the choices given there already are
# not offered again.
function <prefix>_choose_more --argument-names separators
    # The token as typed, without the option of an --option=value or an opening quote.
    set -l token (string replace -r -- '^-[^=]*=|^[\'"]' '' (commandline -ct))
    set -l given (string match -r -- "^.*[$separators]" $token)
    set -l used (string split -n -- ' ' (string replace -a -r -- "[$separators]" ' ' "$given"))
    for choice in $argv[2..]
        contains -- $choice $used; or printf '%s%s\n' "$given" $choice
    end
end
)shell";

std::string fish_text(const CommandFacts& root) {
    const std::string prefix = "__" + std::string(root.name);
    std::string subcommand_arms, argument_arms, completes;
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
                line += " -a " + fish_quoted(option.list ? "(" + prefix + "_choose_more " +
                                                               fish_quoted(option.separators) +
                                                               " " + joined(option.choices) + ")"
                                                         : joined(option.choices));
            }
            line += " -d " + fish_quoted(menu_text(option));
            completes += line + "\n";
        }
    }

    std::string out = "# fish completion for " + std::string(root.name) +
                      ". Made by gorv_docs from the program's command tree.\n";
    out += "\n# The path of the sub-command that WORD selects in COMMAND, if any.\n";
    out += "function " + prefix + "_subcommand --argument-names command word\n";
    out += "    switch \"$command/$word\"\n" + subcommand_arms + "    end\nend\n";
    out += "\n# Succeeds when WORD is one of COMMAND's options that take an argument.\n";
    out += "function " + prefix + "_takes_argument --argument-names command word\n";
    out += "    switch \"$command/$word\"\n" + argument_arms + "    end\n    return 1\nend\n";
    out += expand(fish_helpers, prefix, root.name);
    out += "\ncomplete -c " + std::string(root.name) + " -f\n" + completes;
    return out;
}

template <class Make>
Result<std::string> guarded(Make make) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

}  // namespace

Result<std::string> bash_completion(const CommandFacts& root) {
    return guarded([&] { return bash_text(root); });
}

Result<std::string> zsh_completion(const CommandFacts& root) {
    return guarded([&] { return zsh_text(root); });
}

Result<std::string> fish_completion(const CommandFacts& root) {
    return guarded([&] { return fish_text(root); });
}

}  // namespace gorv::docs
