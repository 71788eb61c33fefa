#include "completion_text.h"

#include <algorithm>

#include "prose.h"

namespace gorv::docs {
namespace {

void collect(std::vector<CommandAt>& all, const CommandFacts& command, const std::string& path) {
    all.push_back({path, &command});
    for (const CommandFacts& subcommand : command.subcommands)
        collect(all, subcommand, path + " " + std::string(subcommand.name));
}

std::string_view without_full_stop(std::string_view text) {
    if (text.ends_with('.')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<CommandAt> all_commands(const CommandFacts& root) {
    std::vector<CommandAt> all;
    collect(all, root, std::string(root.name));
    return all;
}

std::string_view key_of(const OptionFacts& option) {
    return option.long_name.value_or(option.name);
}

std::vector<std::string_view> long_forms(const OptionFacts& option) {
    std::vector<std::string_view> forms;
    if (option.long_name) forms.push_back(*option.long_name);
    forms.insert(forms.end(), option.long_aliases.begin(), option.long_aliases.end());
    return forms;
}

std::string joined(const std::vector<std::string_view>& words, std::string_view joiner) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += joiner;
        text += words[i];
    }
    return text;
}

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

std::string backslashed(std::string_view text, std::string_view special) {
    std::string out;
    for (char c : text) {
        if (special.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

std::string_view menu_text(const OptionFacts& option) {
    return without_full_stop(option.summary);
}

std::string_view menu_text(const CommandFacts& command) {
    return without_full_stop(command.description);
}

std::optional<std::string_view> value_menu_text(const OptionFacts& option,
                                                std::string_view choice) {
    for (const prose::ChoiceWords& entry : prose::choice_words) {
        if (entry.option != key_of(option) || entry.choice != choice) continue;
        std::string_view words = entry.words;
        const std::size_t clause = std::min(words.find("; "), words.find(". "));
        return without_full_stop(words.substr(0, clause));
    }
    return std::nullopt;
}

}  // namespace gorv::docs
