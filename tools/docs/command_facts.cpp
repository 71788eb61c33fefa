#include "command_facts.h"

#include <new>

#include "cli/usage.h"

namespace gorv::docs {
namespace {

// The parts of a description that ends in a list of choices, such as
// "Set the output color (*default, red, green).".
struct ChoiceList {
    std::string summary;  // "Set the output color."
    std::vector<std::string_view> names;
    std::optional<std::string_view> marked;  // the name written with "*"
};

std::optional<ChoiceList> split_choices(std::string_view description) {
    const std::size_t open = description.rfind(" (");
    const std::size_t close = description.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    ChoiceList list;
    list.summary.append(description.substr(0, open)).append(description.substr(close + 1));
    std::string_view rest = description.substr(open + 2, close - open - 2);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        std::string_view name = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 2);
        if (name.starts_with('*')) {
            name.remove_prefix(1);
            list.marked = name;
        }
        if (name.empty()) return std::nullopt;
        list.names.push_back(name);
    }
    if (list.names.empty()) return std::nullopt;
    return list;
}

bool is_enumeration(ValueKind kind) {
    return kind != ValueKind::boolean && kind != ValueKind::u32;
}

// "--color", or the name of an option without a long one.
std::string option_label(const OptionFacts& facts) {
    if (facts.long_name) return "--" + std::string(*facts.long_name);
    return std::string(facts.name);
}

// On a failure, `why` says what is wrong in words.
Status read_choices(const Value& value, OptionFacts& facts, std::string& why) {
    const std::string label = option_label(facts);
    std::optional<ChoiceList> list = split_choices(facts.description);
    if (!list || value.parse_function == nullptr) {
        why = "the description of " + label +
              " does not end in a list of its values in parentheses, such as (*first, second)";
        return std::unexpected(Error::EnumTagDoesNotExist);
    }
    std::optional<std::string_view> default_name;
    for (std::string_view name : list->names) {
        const Result<Entry> parsed = value.parse_function(name);
        if (!parsed || entry_kind(*parsed) != value.type) {
            why = "the description of " + label + " lists '" + std::string(name) +
                  "', which is not one of its values";
            return std::unexpected(Error::EnumTagDoesNotExist);
        }
        if (value.default_value && *parsed == *value.default_value) default_name = name;
    }
    if (value.default_value && !default_name) {
        why = "the default of " + label + " is not among the values its description lists";
        return std::unexpected(Error::RequestedTypeMismatch);
    }
    if (list->marked != default_name) {
        why = "the description of " + label + " marks " +
              (list->marked ? "'" + std::string(*list->marked) + "'" : std::string("no value")) +
              " with *, but the default is " +
              (default_name ? "'" + std::string(*default_name) + "'" : std::string("none"));
        return std::unexpected(Error::RequestedTypeMismatch);
    }
    facts.summary = std::move(list->summary);
    facts.choices = std::move(list->names);
    if (default_name) facts.default_text.emplace(*default_name);
    return {};
}

Result<OptionFacts> option_facts(const Option& option, std::string& why) {
    const Value& value = option.value;
    OptionFacts facts;
    facts.name = option.name;
    facts.long_name = option.long_name;
    if (option.long_aliases) facts.long_aliases = *option.long_aliases;
    facts.short_name = option.short_name;
    facts.description = option.description;
    facts.summary = option.description;
    facts.type_text = type_text(value);
    facts.flag = is_flag(option);
    facts.argument_optional = option.allow_empty;
    facts.list = value.set_behavior == SetBehavior::multi;
    facts.separators = value.separators;
    facts.max_entries = value.max_entries;
    if (is_enumeration(value.type)) {
        if (Status read = read_choices(value, facts, why); !read) {
            return std::unexpected(read.error());
        }
    } else if (!facts.flag && value.default_value) {
        const Entry& entry = *value.default_value;
        if (const auto* number = std::get_if<std::uint32_t>(&entry)) {
            facts.default_text = std::to_string(*number);
        } else if (const auto* truth = std::get_if<bool>(&entry)) {
            facts.default_text = *truth ? "true" : "false";
        }
    }
    return facts;
}

Result<CommandFacts> command_facts(const Command& command, std::string& why) {
    if (!command.initialized) {
        why = "the command '" + std::string(command.name) + "' was not completed";
        return std::unexpected(Error::CommandNotInitialized);
    }
    CommandFacts facts;
    facts.name = command.name;
    facts.description = command.description;
    if (command.examples) facts.examples = *command.examples;
    if (command.options) {
        for (const Option& option : *command.options) {
            if (option.hidden) continue;
            Result<OptionFacts> read = option_facts(option, why);
            if (!read) return std::unexpected(read.error());
            facts.options.push_back(std::move(*read));
        }
    }
    if (command.subcommands) {
        for (const Command& subcommand : *command.subcommands) {
            if (subcommand.hidden) continue;
            Result<CommandFacts> read = command_facts(subcommand, why);
            if (!read) return std::unexpected(read.error());
            facts.subcommands.push_back(std::move(*read));
        }
    }
    return facts;
}

}  // namespace

Result<CommandFacts> gather_facts(const Command& command) {
    try {
        std::string why;
        return command_facts(command, why);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::string> facts_problem(const Command& command) {
    try {
        std::string why;
        (void)command_facts(command, why);
        return why;
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

const OptionFacts* find_option(const CommandFacts& command, std::string_view long_name) {
    for (const OptionFacts& option : command.options) {
        if (option.long_name == long_name || option.name == long_name) return &option;
    }
    return nullptr;
}

}  // namespace gorv::docs
