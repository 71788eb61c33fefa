#include "cli/parser.h"

#include <cstring>

#include "cli/help.h"
#include "cli/usage.h"
#include "cli/value_parsers.h"
#include "core/log.h"

namespace gorv {
namespace {

// The parser's messages, one line each on standard error.
constexpr std::string_view message_prefix = "error(pelk): ";
constexpr std::string_view takes_no_argument =
    "' is a Boolean/Toggle and cannot take an argument.\n";

std::string_view letter_text(const char& letter) {
    return {&letter, 1};
}

// No option has the letter, or a value-taking letter is followed by an option letter.
void could_not_parse_option(char letter) {
    log_pieces({message_prefix, "Could not parse Option '", "-", letter_text(letter), "'.\n"});
}

// No option has a long name that matches the word.
void could_not_parse_argument(std::string_view word) {
    log_pieces({message_prefix, "Could not parse Argument '", "--", word, "' to an Option.\n"});
}

// A flag written as "-letter=...".
void short_flag_takes_no_argument(char letter, std::string_view name) {
    log_pieces(
        {message_prefix, "The Option '", "-", letter_text(letter), ": ", name, takes_no_argument});
}

// A flag written as "--long=...".
void long_flag_takes_no_argument(std::string_view long_name, std::string_view name) {
    log_pieces({message_prefix, "The Option '", "--", long_name, ": ", name, takes_no_argument});
}

// A stray argument, or an option whose argument could not be obtained.
void unrecognized_argument(std::string_view argument, std::string_view command) {
    log_pieces(
        {message_prefix, "Unrecognized Argument '", argument, "' for Command '", command, "'.\n"});
}

// An argument given to a command that takes none.
void unexpected_argument(std::string_view command, std::string_view argument) {
    log_pieces({message_prefix, "Command '", command, "' does not expect any arguments, but '",
                argument, "' was passed.\n"});
}

// An option given empty after it already holds an argument.
void already_set(std::string_view name) {
    log_pieces({message_prefix, "The Option '", name, "' has already been set.\n"});
}

// A display was written: flush, and end the parse with `outcome`.
Status flushed_display(Status written, Writer& out, Error outcome) {
    if (!written) return written;
    if (Status flushed = out.flush(); !flushed) return flushed;
    return std::unexpected(outcome);
}

// A requested display was written.
Status displayed(Status written, Writer& out) {
    return flushed_display(written, out, Error::UsageHelpCalled);
}

// A display was written after the message about a malformed command line.
Status rejected(Status written, Writer& out) {
    return flushed_display(written, out, Error::CommandLineRejected);
}

bool has_options(const Command& command) {
    return command.options && !command.options->empty();
}

bool has_subcommands(const Command& command) {
    return command.subcommands && !command.subcommands->empty();
}

// A name matches a word that equals it, or that occurs in it and begins alike.
bool name_matches(std::string_view name, std::string_view word) {
    if (name == word) return true;
    if (word.empty() || name.empty() || name.front() != word.front()) return false;
    return name.find(word) != std::string_view::npos;
}

Command* find_subcommand(Command& command, std::string_view word) {
    if (!command.subcommands) return nullptr;
    for (Command& subcommand : *command.subcommands) {
        if (subcommand.name == word) return &subcommand;
        if (subcommand.aliases) {
            for (const std::string_view alias : *subcommand.aliases) {
                if (alias == word) return &subcommand;
            }
        }
    }
    return nullptr;
}

Option* find_short(Command& command, char letter) {
    if (!command.options) return nullptr;
    for (Option& option : *command.options) {
        if (option.short_name == letter) return &option;
    }
    return nullptr;
}

Option* find_long(Command& command, std::string_view word) {
    if (!command.options) return nullptr;
    for (Option& option : *command.options) {
        if (option.long_name && name_matches(*option.long_name, word)) return &option;
        if (option.long_aliases) {
            for (const std::string_view alias : *option.long_aliases) {
                if (name_matches(alias, word)) return &option;
            }
        }
    }
    return nullptr;
}

// One parse of one command: the steps for each argument.
class CommandParse {
  public:
    CommandParse(ArgumentCursor& cursor, Command& command, Writer& out)
        : cursor_(cursor), command_(command), out_(out) {}

    Status run();

  private:
    Status argument(std::string_view argument);
    Status short_options(std::string_view argument);
    Status long_option(std::string_view argument);
    Status take_option_value(Option& option);
    Status set_flag(Option& option) { return set_value(option.value, "true"); }
    void give_empty(Option& option);
    Status stray(std::string_view argument);
    Status unknown_letter(char letter);
    Status finish();

    ArgumentCursor& cursor_;
    Command& command_;
    Writer& out_;
};

Status CommandParse::run() {
    if (!command_.initialized) return std::unexpected(Error::CommandNotInitialized);
    if (cursor_.at_start()) (void)cursor_.take();
    while (const std::optional<std::string_view> next = cursor_.take()) {
        if (Status handled = argument(*next); !handled) return handled;
    }
    return finish();
}

Status CommandParse::argument(std::string_view argument) {
    if (Command* subcommand = find_subcommand(command_, argument)) {
        if (Status parsed = parse_arguments(cursor_, *subcommand, out_); !parsed) return parsed;
        command_.selected_subcommand = subcommand;
        return {};
    }
    if (!has_options(command_)) {
        if (argument == "--" && !cursor_.options_ended) {
            cursor_.options_ended = true;
            return {};
        }
        return stray(argument);
    }
    if (cursor_.options_ended) return stray(argument);
    if (argument == "--") {
        cursor_.options_ended = true;
        return {};
    }
    if (argument.empty()) return stray(argument);
    if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
        return short_options(argument);
    }
    if (argument.size() > 2 && argument.starts_with("--")) return long_option(argument);
    return stray(argument);
}

Status CommandParse::short_options(std::string_view argument) {
    for (std::size_t at = 1; at < argument.size(); ++at) {
        const char letter = argument[at];
        const std::string_view rest = argument.substr(at + 1);
        Option* option = find_short(command_, letter);
        if (option == nullptr) return unknown_letter(letter);

        if (rest.starts_with('=')) {
            if (is_flag(*option)) {
                short_flag_takes_no_argument(letter, option->name);
                return rejected(write_option_usage(*option, out_), out_);
            }
            const std::string_view text = rest.substr(1);
            if (text.empty()) return std::unexpected(Error::EmptyArgumentProvidedToOption);
            if (set_value(option->value, text)) return {};
            return stray(argument);
        }
        if (rest.empty()) {
            const Status obtained =
                is_flag(*option) ? set_flag(*option) : take_option_value(*option);
            if (obtained) return {};
            return stray(argument);
        }
        if (is_flag(*option)) {
            if (!set_flag(*option)) return stray(argument);
            continue;
        }
        if (option->allow_empty) {
            give_empty(*option);
            continue;
        }
        // A value-taking letter followed by another option's letter is not taken as
        // having an argument.
        if (find_short(command_, rest.front()) != nullptr) return unknown_letter(letter);
        return set_value(option->value, rest);
    }
    return {};
}

Status CommandParse::long_option(std::string_view argument) {
    const std::string_view body = argument.substr(2);
    const std::size_t equals = body.find('=');
    const std::string_view word = body.substr(0, equals);
    Option* option = find_long(command_, word);
    if (option == nullptr) {
        could_not_parse_argument(word);
        return rejected(write_usage(command_, out_), out_);
    }
    if (equals == std::string_view::npos) {
        const Status obtained = is_flag(*option) ? set_flag(*option) : take_option_value(*option);
        if (obtained) return {};
        return stray(argument);
    }
    if (is_flag(*option)) {
        long_flag_takes_no_argument(option->long_name.value_or(word), option->name);
        return rejected(write_option_usage(*option, out_), out_);
    }
    const std::string_view text = body.substr(equals + 1);
    if (text.empty()) return std::unexpected(Error::EmptyArgumentProvidedToOption);
    if (set_value(option->value, text)) return {};
    return stray(argument);
}

Status CommandParse::take_option_value(Option& option) {
    const std::optional<std::string_view> next = cursor_.peek();
    if (next && !next->starts_with('-')) {
        (void)cursor_.take();
        return set_value(option.value, *next);
    }
    if (option.allow_empty) {
        give_empty(option);
        return {};
    }
    // Without an argument the option's value cannot be obtained.
    return std::unexpected(Error::EmptyArgumentProvidedToOption);
}

// Setting an option empty when it already holds an argument is reported, not an error.
void CommandParse::give_empty(Option& option) {
    if (!set_empty(option.value)) already_set(option.name);
}

Status CommandParse::stray(std::string_view argument) {
    if (has_subcommands(command_) || !(argument.starts_with("--") || cursor_.options_ended)) {
        unrecognized_argument(argument, command_.name);
    } else {
        unexpected_argument(command_.name, argument);
    }
    return rejected(write_usage(command_, out_), out_);
}

Status CommandParse::unknown_letter(char letter) {
    could_not_parse_option(letter);
    return rejected(write_usage(command_, out_), out_);
}

Status CommandParse::finish() {
    if (is_requested(command_, "usage")) return displayed(write_usage(command_, out_), out_);
    if (is_requested(command_, "help")) return displayed(write_help(command_, out_), out_);
    return {};
}

}  // namespace

std::optional<std::string_view> ArgumentCursor::peek() const {
    if (position_ >= arguments_.size()) return std::nullopt;
    const char* argument = arguments_[position_];
    if (argument == nullptr) return std::string_view{};
    return std::string_view(argument, std::strlen(argument));
}

std::optional<std::string_view> ArgumentCursor::take() {
    std::optional<std::string_view> argument = peek();
    if (argument) ++position_;
    return argument;
}

Status parse_arguments(ArgumentCursor& cursor, Command& command, Writer& out) {
    return CommandParse(cursor, command, out).run();
}

bool is_requested(const Command& command, std::string_view name) {
    if (command.selected_subcommand != nullptr && command.selected_subcommand->name == name) {
        return true;
    }
    if (!command.options) return false;
    for (const Option& option : *command.options) {
        if (option.name != name || option.value.type != ValueKind::boolean) continue;
        const std::optional<Entry> value = get_value(option.value);
        if (value && entry_kind(*value) == ValueKind::boolean && std::get<bool>(*value)) {
            return true;
        }
    }
    return false;
}

std::optional<Entry> get_value(const Value& value) {
    if (value.is_set && !value.is_empty && value.count > 0) return value.entries[0];
    return value.default_value;
}

}  // namespace gorv
