#include "cli/command.h"

#include <new>

#include "cli/usage.h"
#include "cli/value_parsers.h"

namespace gorv {
namespace {

// Adapts a typed parse function to the `ParseFunction` of a value.
template <class Enum, Result<Enum> (*parse)(std::string_view)>
Result<Entry> parse_entry(std::string_view text) {
    const Result<Enum> parsed = parse(text);
    if (!parsed) return std::unexpected(parsed.error());
    return Entry{*parsed};
}

Value flag_value(std::string_view name, std::optional<Entry> default_value) {
    Value value;
    value.name = name;
    value.type = ValueKind::boolean;
    value.default_value = default_value;
    return value;
}

Value enum_value(std::string_view name, ValueKind kind, std::string_view type_alias,
                 ParseFunction parse, std::optional<Entry> default_value) {
    Value value;
    value.name = name;
    value.type = kind;
    value.type_alias = type_alias;
    value.parse_function = parse;
    value.default_value = default_value;
    return value;
}

Option make_option(std::string_view long_name, std::optional<char> short_name,
                   std::string_view description, Value value) {
    Option option;
    option.name = long_name;
    option.long_name = long_name;
    option.short_name = short_name;
    option.description = description;
    option.value = value;
    return option;
}

// "Show the '<name>' <what> display." for the added usage and help entries.
std::string_view display_description(Command& command, std::string_view what) {
    std::string text = "Show the '";
    text.append(command.name).append("' ").append(what).append(" display.");
    command.owned_texts.push_back(std::move(text));
    return command.owned_texts.back();
}

Command display_subcommand(Command& owner, std::string_view name, std::string_view description) {
    Command subcommand;
    subcommand.name = name;
    subcommand.help_preamble = owner.name;
    subcommand.description = description;
    subcommand.initialized = true;
    subcommand.allocator = owner.allocator;
    return subcommand;
}

}  // namespace

ValueKind entry_kind(const Entry& entry) {
    return static_cast<ValueKind>(entry.index());
}

bool is_flag(const Option& option) {
    return option.value.type == ValueKind::boolean && option.value.parse_function == nullptr;
}

Status initialize_command(Command& command, std::pmr::memory_resource* allocator) {
    try {
        command.allocator = allocator;
        command.initialized = true;

        const std::string_view usage_text = display_description(command, "usage");
        const std::string_view help_text = display_description(command, "help");
        Option usage = make_option("usage", 'u', usage_text, flag_value("usage_flag", {}));
        Option help = make_option("help", 'h', help_text, flag_value("help_flag", {}));
        if (command.option_groups) {
            command.option_groups->emplace_back("HELP");
            usage.group = "HELP";
            help.group = "HELP";
        }
        if (!command.options) command.options.emplace();
        command.options->push_back(std::move(usage));
        command.options->push_back(std::move(help));

        if (!command.subcommands) command.subcommands.emplace();
        command.subcommands->push_back(display_subcommand(command, "usage", usage_text));
        command.subcommands->push_back(display_subcommand(command, "help", help_text));

        for (Option& option : *command.options)
            option.parent = &command;
        for (Command& subcommand : *command.subcommands)
            subcommand.parent = &command;
        return {};
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::unique_ptr<Command>> define_gorv_command() {
    try {
        auto root = std::make_unique<Command>();
        root->name = "gorv";
        root->help_preamble = title_box;
        root->description = "2D matrix screensaver.";
        root->examples = std::vector<std::string_view>{"gorv -a -m decimal -s crypto"};

        Value accents = enum_value("accents_list", ValueKind::accent, "[string]",
                                   parse_entry<Accent, parse_accent>, std::nullopt);
        accents.set_behavior = SetBehavior::multi;
        accents.max_entries = 4;
        Value time;
        time.name = "time";
        time.type = ValueKind::u32;
        time.default_value = Entry{std::uint32_t{0}};

        std::vector<Option>& options = root->options.emplace();
        options.push_back(make_option(
            "color", 'c', "Set the output color (*default, red, green, blue, yellow, magenta).",
            enum_value("color_val", ValueKind::color, "string", parse_entry<Color, parse_color>,
                       Entry{Color::default_})));
        options.push_back(make_option(
            "style", 's', "Set the output style (*default, columns, crypto, grid, blocks, rain).",
            enum_value("style_val", ValueKind::style, "string", parse_entry<Style, parse_style>,
                       Entry{Style::default_})));
        options.push_back(
            make_option("mode", 'm', "Symbol mode (*binary, decimal, hexadecimal, textual).",
                        enum_value("mode_val", ValueKind::mode, "string",
                                   parse_entry<Mode, parse_mode>, Entry{Mode::binary})));
        options.push_back(make_option(
            "accents", 'a', "Enable symbol accentuations (bold, bright, dim, pulse).", accents));
        options.back().allow_empty = true;
        options.push_back(make_option("time", 't', "Set the duration in seconds.", time));
        options.push_back(
            make_option("speed", std::nullopt, "Set the output speed (slow, *normal, fast).",
                        enum_value("speed_val", ValueKind::speed, "string",
                                   parse_entry<Speed, parse_speed>, Entry{Speed::normal})));
        options.push_back(make_option("bare", std::nullopt, "Disable opening sequence.",
                                      flag_value("bare_flag", Entry{false})));
        options.push_back(make_option("debug", std::nullopt, "Enable debug mode.",
                                      flag_value("debug_flag", Entry{false})));
        options.push_back(make_option("version", 'v', "Show the 'gorv' version.",
                                      flag_value("version_flag", Entry{false})));

        Command version;
        version.name = "version";
        version.help_preamble = title_box;
        version.description = "Show the 'gorv' version.";
        root->subcommands.emplace().push_back(std::move(version));
        return root;
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::unique_ptr<Command>> make_gorv_command(std::pmr::memory_resource* allocator) {
    Result<std::unique_ptr<Command>> root = define_gorv_command();
    if (!root) return root;
    if (Status done = initialize_command(**root, allocator); !done) {
        return std::unexpected(done.error());
    }
    // The root's sub-command list is complete now, so the version command stays put.
    // NOLINTNEXTLINE(bugprone-unchecked-optional-access): defined with the root above
    if (Status done = initialize_command((**root).subcommands->front(), allocator); !done) {
        return std::unexpected(done.error());
    }
    return root;
}

}  // namespace gorv
