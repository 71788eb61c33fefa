#include "man_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <optional>

#include "prose.h"

namespace gorv::docs {
namespace {

// Decodes the UTF-8 sequence that starts at text[at] and moves `at` past it; a byte that
// starts no valid sequence gives U+FFFD and is skipped alone.
std::uint32_t next_code_point(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07U;
    } else if (lead >= 0xE0) {
        length = lead <= 0xEF ? 3 : 0;
        code = lead & 0x0FU;
    } else if (lead >= 0xC2) {
        length = 2;
        code = lead & 0x1FU;
    }
    if (length == 0 || at + length > text.size()) {
        ++at;
        return 0xFFFD;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0U) != 0x80U) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    at += length;
    return code;
}

void append_code_point(std::string& out, std::uint32_t code) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::array<char, 8> hex{};
    std::size_t count = 0;
    do {
        hex[count++] = digits[code & 0xFU];
        code >>= 4U;
    } while (code != 0 || count < 4);
    out += "\\[u";
    while (count > 0)
        out += hex[--count];
    out += ']';
}

// A "-" after one of these begins a word (an option, a negative number).
bool begins_word(char previous) {
    constexpr std::string_view openers = " \n([\"'/,-";
    return openers.find(previous) != std::string_view::npos;
}

// The escaping shared by every piece of text; `previous` is the character before `c`.
void append_char(std::string& out, char c, char previous, bool code) {
    if (c == '\\') {
        out += "\\e";
    } else if (c == '-' && (code || begins_word(previous))) {
        out += "\\-";
    } else {
        out += c;
    }
}

void append_escaped(std::string& out, std::string_view text, bool code) {
    char previous = ' ';
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) >= 0x80) {
            append_code_point(out, next_code_point(text, at));
            previous = 'x';
            continue;
        }
        append_char(out, text[at], previous, code);
        previous = text[at++];
    }
}

bool starts_sentence(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '`';
}

void append_paragraph(std::string& out, std::string_view paragraph) {
    bool bold = false;
    bool line_start = true;
    char previous = ' ';
    for (std::size_t at = 0; at < paragraph.size();) {
        const char c = paragraph[at];
        if (line_start && (c == ' ' || c == '\n')) {
            ++at;
            continue;
        }
        if (line_start && (c == '.' || c == '\'')) out += "\\&";
        line_start = false;
        if (c == '`') {
            out += bold ? "\\fR" : "\\fB";
            bold = !bold;
            ++at;
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            append_code_point(out, next_code_point(paragraph, at));
            previous = 'x';
            continue;
        }
        if (c == '.' && at + 2 < paragraph.size() && paragraph[at + 1] == ' ' &&
            starts_sentence(paragraph[at + 2])) {
            out += ".\n";
            line_start = true;
            previous = ' ';
            at += 2;
            continue;
        }
        append_char(out, c, previous, bold);
        if (c == '\n') line_start = true;
        previous = c;
        ++at;
    }
    if (bold) out += "\\fR";
    if (!out.ends_with('\n')) out += '\n';
}

void append_prose(std::string& out, std::string_view prose) {
    bool first = true;
    while (true) {
        const std::size_t end = prose.find("\n\n");
        if (!first) out += ".PP\n";
        first = false;
        append_paragraph(out, prose.substr(0, end));
        if (end == std::string_view::npos) break;
        prose.remove_prefix(end + 2);
    }
}

std::string escaped(std::string_view text, bool code = false) {
    std::string out;
    append_escaped(out, text, code);
    return out;
}

std::string bold(std::string_view text) {
    return "\\fB" + escaped(text, true) + "\\fR";
}

std::string italic(std::string_view text) {
    return "\\fI" + escaped(text) + "\\fR";
}

std::string long_form(std::string_view name) {
    return bold(std::string("--").append(name));
}

// "-c, --color" in bold, with any long aliases.
std::string option_names(const OptionFacts& option) {
    std::string names;
    if (option.short_name) names += bold(std::string{'-', *option.short_name});
    if (option.long_name) {
        if (!names.empty()) names += ", ";
        names += long_form(*option.long_name);
    }
    for (std::string_view alias : option.long_aliases)
        names += ", " + long_form(alias);
    return names;
}

std::string argument(const OptionFacts& option) {
    return option.flag ? std::string{} : " " + italic(option.type_text);
}

// The names in bold, joined: "a, b or c" with the joiners ", " and " or ".
std::string bold_list(const std::vector<std::string_view>& names, std::string_view last_joiner,
                      std::string_view joiner = ", ") {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? last_joiner : joiner;
        list += bold(names[i]);
    }
    return list;
}

std::vector<std::string_view> separator_names(std::string_view separators) {
    std::vector<std::string_view> names;
    names.reserve(separators.size());
    for (std::size_t i = 0; i < separators.size(); ++i)
        names.push_back(separators.substr(i, 1));
    return names;
}

template <class Table>
auto find_words(const Table& table, std::string_view option) -> decltype(&table[0]) {
    for (const auto& entry : table) {
        if (entry.option == option) return &entry;
    }
    return nullptr;
}

std::optional<std::string_view> choice_words(std::string_view option, std::string_view choice) {
    for (const prose::ChoiceWords& entry : prose::choice_words) {
        if (entry.option == option && entry.choice == choice) return entry.words;
    }
    return std::nullopt;
}

std::optional<std::string_view> command_words(std::string_view path) {
    for (const prose::CommandWords& entry : prose::command_words) {
        if (entry.path == path) return entry.words;
    }
    return std::nullopt;
}

std::string_view option_key(const OptionFacts& option) {
    return option.long_name.value_or(option.name);
}

void write_synopsis(std::string& page, const CommandFacts& command, const std::string& path) {
    page += bold(path) + "\n";
    for (const OptionFacts& option : command.options) {
        const std::string name = option.short_name ? std::string{'-', *option.short_name}
                                                   : "--" + std::string(option_key(option));
        page += "[" + bold(name) + argument(option) + "]\n";
    }
    if (!command.subcommands.empty()) {
        std::vector<std::string_view> names;
        names.reserve(command.subcommands.size());
        for (const CommandFacts& subcommand : command.subcommands)
            names.push_back(subcommand.name);
        page += "[" + bold_list(names, " | ", " | ") + "]\n";
    }
    for (const CommandFacts& subcommand : command.subcommands) {
        if (subcommand.options.empty() && subcommand.subcommands.empty()) continue;
        page += ".br\n";
        write_synopsis(page, subcommand, path + " " + std::string(subcommand.name));
    }
}

const OptionFacts* root_option(const CommandFacts& root, std::string_view key) {
    for (const OptionFacts& option : root.options) {
        if (option_key(option) == key) return &option;
    }
    return nullptr;
}

// The sections in the order of prose.h, which tells the program's story better than the
// order of the options.
void write_choice_sections(std::string& page, const CommandFacts& root) {
    for (const prose::ChoiceSection& section : prose::choice_sections) {
        const OptionFacts& option = *root_option(root, section.option);
        page += ".SS " + escaped(section.heading) + "\n";
        append_prose(page, section.lead);
        std::string chosen = "Chosen with " + option_names(option);
        if (option.default_text) chosen += "; the default is " + bold(*option.default_text);
        page += chosen + ".\n";
        for (std::string_view choice : option.choices) {
            page += ".TP\n" + bold(choice) + "\n";
            append_prose(page, choice_words(option_key(option), choice).value_or(""));
        }
    }
}

void write_option(std::string& page, const OptionFacts& option) {
    page += ".TP\n" + option_names(option) + argument(option) + "\n";
    append_prose(page, option.summary);
    if (!option.choices.empty()) {
        if (option.list) {
            page += "A list of up to " + std::to_string(option.max_entries) + " of " +
                    bold_list(option.choices, " and ") + ", separated by " +
                    bold_list(separator_names(option.separators), " or ") + ".\n";
        } else {
            page += "One of " + bold_list(option.choices, " or ") + ".\n";
        }
    }
    if (option.argument_optional) page += "The argument may be left out.\n";
    if (option.default_text) page += "The default is " + bold(*option.default_text) + ".\n";
    if (const prose::OptionWords* words = find_words(prose::option_words, option_key(option))) {
        append_prose(page, words->words);
    }
}

void write_command(std::string& page, const CommandFacts& command, const std::string& path) {
    page += ".TP\n" + bold(path) + "\n";
    append_prose(page, command.description);
    if (std::optional<std::string_view> words = command_words(path)) append_prose(page, *words);
    if (command.options.empty() && command.subcommands.empty()) return;
    page += ".RS\n";
    for (const OptionFacts& option : command.options)
        write_option(page, option);
    for (const CommandFacts& subcommand : command.subcommands)
        write_command(page, subcommand, path + " " + std::string(subcommand.name));
    page += ".RE\n";
}

template <class Items>
void write_items(std::string& page, const Items& items) {
    for (const prose::Item& item : items) {
        page += ".TP\n" + bold(item.term) + "\n";
        append_prose(page, item.words);
    }
}

void write_example(std::string& page, std::string_view lines, std::string_view words) {
    // A paragraph break between examples; the section heading starts the first.
    if (!page.ends_with(".SH EXAMPLES\n")) page += ".PP\n";
    page += ".nf\n";
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        page += bold(lines.substr(0, end)) + "\n";
        lines = end == std::string_view::npos ? std::string_view{} : lines.substr(end + 1);
    }
    page += ".fi\n";
    if (!words.empty()) {
        page += ".RS\n";
        append_prose(page, words);
        page += ".RE\n";
    }
}

// Breaks every text line of fill mode that is longer than 80 bytes at its spaces, so
// that the page reads well as source too; lines between .nf and .fi stay as they are.
std::string wrapped(std::string_view page) {
    constexpr std::size_t width = 80;
    std::string out;
    bool filling = true;
    while (!page.empty()) {
        const std::size_t end = page.find('\n');
        std::string_view line = page.substr(0, end);
        page = end == std::string_view::npos ? std::string_view{} : page.substr(end + 1);
        if (line == ".nf") filling = false;
        if (line == ".fi") filling = true;
        while (filling && !line.starts_with('.') && line.size() > width) {
            std::size_t space = line.rfind(' ', width);
            if (space == std::string_view::npos || space == 0) space = line.find(' ');
            if (space == std::string_view::npos) break;
            out.append(line.substr(0, space)).append("\n");
            line.remove_prefix(space + 1);
            if (line.starts_with('.') || line.starts_with('\'')) out += "\\&";
        }
        out.append(line).append("\n");
    }
    return out;
}

std::string upper_case(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string_view name_line(std::string_view description) {
    if (description.ends_with('.')) description.remove_suffix(1);
    return description;
}

std::string page_text(const CommandFacts& root, std::string_view version) {
    std::string page;
    page += ".\\\" Made by gorv_docs from the command tree of gorv and the words in prose.h.\n";
    page += ".TH " + escaped(upper_case(root.name)) + " 1 " + escaped(prose::date) + " \"" +
            escaped(root.name) + " " + escaped(version) + "\" \"User Commands\"\n";

    page +=
        ".SH NAME\n" + escaped(root.name) + " \\- " + escaped(name_line(root.description)) + "\n";

    page += ".SH SYNOPSIS\n";
    write_synopsis(page, root, std::string(root.name));

    page += ".SH DESCRIPTION\n";
    append_prose(page, prose::description);
    write_choice_sections(page, root);

    page += ".SH OPTIONS\n";
    append_prose(page, prose::options_lead);
    for (const OptionFacts& option : root.options)
        write_option(page, option);

    page += ".SH COMMANDS\n";
    append_prose(page, prose::commands_lead);
    for (const CommandFacts& subcommand : root.subcommands)
        write_command(page, subcommand, std::string(subcommand.name));

    page += ".SH EXIT STATUS\n";
    write_items(page, prose::exit_status);

    page += ".SH ENVIRONMENT\n";
    write_items(page, prose::environment);

    page += ".SH EXAMPLES\n";
    for (std::string_view example : root.examples) {
        std::string_view words;
        for (const prose::Example& entry : prose::tree_example_words) {
            if (entry.lines == example) words = entry.words;
        }
        write_example(page, example, words);
    }
    for (const prose::Example& example : prose::further_examples)
        write_example(page, example.lines, example.words);

    page += ".SH SEE ALSO\n";
    for (std::size_t i = 0; i < prose::see_also.size(); ++i) {
        const prose::Reference& reference = prose::see_also[i];
        page += ".BR " + escaped(reference.name) + " (" + escaped(reference.section) + ")" +
                (i + 1 < prose::see_also.size() ? ",\n" : "\n");
    }
    return wrapped(page);
}

bool has_command(const CommandFacts& command, std::string_view path) {
    const std::size_t space = path.find(' ');
    const std::string_view first = path.substr(0, space);
    for (const CommandFacts& subcommand : command.subcommands) {
        if (subcommand.name != first) continue;
        if (space == std::string_view::npos) return true;
        return has_command(subcommand, path.substr(space + 1));
    }
    return false;
}

std::vector<std::string> problems_of(const CommandFacts& root) {
    std::vector<std::string> problems;
    for (const OptionFacts& option : root.options) {
        if (option.choices.empty()) continue;
        const std::string key(option_key(option));
        if (find_words(prose::choice_sections, key) == nullptr) {
            problems.push_back("no section in DESCRIPTION for the values of --" + key);
        }
        for (std::string_view choice : option.choices) {
            if (!choice_words(key, choice)) {
                problems.push_back("no words for the value '" + std::string(choice) + "' of --" +
                                   key);
            }
        }
    }
    for (const prose::ChoiceSection& section : prose::choice_sections) {
        const OptionFacts* option = root_option(root, section.option);
        if (option == nullptr || option->choices.empty()) {
            problems.push_back("a section for --" + std::string(section.option) +
                               ", which is no option with values");
        }
    }
    for (const prose::ChoiceWords& words : prose::choice_words) {
        const OptionFacts* option = root_option(root, words.option);
        if (option == nullptr ||
            std::ranges::find(option->choices, words.choice) == option->choices.end()) {
            problems.push_back("words for the value '" + std::string(words.choice) + "' of --" +
                               std::string(words.option) + ", which has no such value");
        }
    }
    for (const prose::OptionWords& words : prose::option_words) {
        if (root_option(root, words.option) == nullptr) {
            problems.push_back("words for --" + std::string(words.option) + ", which is no option");
        }
    }
    for (const prose::CommandWords& words : prose::command_words) {
        if (!has_command(root, words.path)) {
            problems.push_back("words for the command '" + std::string(words.path) +
                               "', which does not exist");
        }
    }
    for (const prose::Example& words : prose::tree_example_words) {
        if (std::ranges::find(root.examples, words.lines) == root.examples.end()) {
            problems.push_back("words for the example '" + std::string(words.lines) +
                               "', which the command tree does not have");
        }
    }
    return problems;
}

}  // namespace

Result<std::vector<std::string>> prose_problems(const CommandFacts& root) {
    try {
        return problems_of(root);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::string> man_page(const CommandFacts& root, std::string_view version) {
    try {
        if (!problems_of(root).empty()) return std::unexpected(Error::ValueNotSet);
        return page_text(root, version);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::string> roff_prose(std::string_view prose) {
    try {
        std::string out;
        append_prose(out, prose);
        return out;
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

Result<std::string> roff_escape(std::string_view text, bool code) {
    try {
        return escaped(text, code);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

}  // namespace gorv::docs
