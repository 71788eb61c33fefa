#include "cli/help.h"

#include <algorithm>
#include <memory_resource>
#include <new>
#include <utility>
#include <vector>

#include "cli/usage.h"

namespace gorv {
namespace {

constexpr std::string_view indent = "    ";
constexpr std::string_view entry_indent = "        ";
constexpr std::string_view continuation_indent = "            ";

// How the listing reaches into each kind of entry.
struct SubcommandEntry {
    static std::string_view name(const Command& entry) { return entry.name; }
    static bool hidden(const Command& entry) { return entry.hidden; }
    static const std::optional<std::string_view>& group(const Command& entry) {
        return entry.group;
    }
    static void write(const Command& entry, Writer& out, bool grouped) {
        write_pieces(out, {entry_indent, entry.name, ": ", entry.description});
        if (grouped && entry.aliases) {
            write_pieces(out, {"\n", continuation_indent, "[alias(es): "});
            write_joined(out, *entry.aliases);
            out.write("]");
        }
        out.write("\n");
    }
};

struct OptionEntry {
    static std::string_view name(const Option& entry) { return entry.name; }
    static bool hidden(const Option& entry) { return entry.hidden; }
    static const std::optional<std::string_view>& group(const Option& entry) { return entry.group; }
    static void write(const Option& entry, Writer& out, bool /*grouped*/) {
        out.write(entry_indent);
        write_option_help(entry, out);
        out.write("\n");
    }
};

struct ValueEntry {
    static std::string_view name(const Value& entry) { return entry.name; }
    static bool hidden(const Value&) { return false; }
    static const std::optional<std::string_view>& group(const Value& entry) { return entry.group; }
    static void write(const Value& entry, Writer& out, bool /*grouped*/) {
        out.write(entry_indent);
        write_value_help(entry, out);
        out.write("\n");
    }
};

// Lists the entries of one section: grouped entries first, group by group, then the
// ungrouped rest. Entries of the same name are listed once, where the first stood,
// as the last one is defined. Fails with OutOfMemory only: the writer keeps its own
// failures.
template <class Access, class T>
Status write_listing(const Command& command, const std::vector<T>& entries,
                     const std::optional<std::vector<std::string_view>>& groups, Writer& out) {
    std::pmr::memory_resource* resource =
        command.allocator != nullptr ? command.allocator : std::pmr::get_default_resource();
    try {
        std::pmr::vector<std::pair<std::string_view, const T*>> listed(resource);
        for (const T& entry : entries) {
            const std::string_view name = Access::name(entry);
            const auto known =
                std::ranges::find(listed, name, &std::pair<std::string_view, const T*>::first);
            if (known != listed.end()) {
                known->second = &entry;
            } else {
                listed.emplace_back(name, &entry);
            }
        }
        const std::size_t listed_count = listed.size();

        if (groups && !groups->empty()) {
            std::pmr::vector<std::string_view> removed(resource);
            bool title_written = false;
            for (const std::string_view group : *groups) {
                if (listed.empty()) continue;
                bool group_written = false;
                for (const auto& [name, entry] : listed) {
                    if (Access::hidden(*entry)) {
                        removed.push_back(name);
                        continue;
                    }
                    const std::optional<std::string_view>& entry_group = Access::group(*entry);
                    if (!entry_group || *entry_group != group) continue;
                    if (!group_written) {
                        write_group_title(out, group);
                        group_written = true;
                        title_written = true;
                    }
                    Access::write(*entry, out, true);
                    removed.push_back(name);
                }
                if (group_written) write_pieces(out, {entry_indent, "\n"});
            }
            if (title_written && removed.size() < listed_count) write_group_title(out, "OTHER");
            for (const std::string_view name : removed) {
                const auto gone =
                    std::ranges::find(listed, name, &std::pair<std::string_view, const T*>::first);
                if (gone != listed.end()) listed.erase(gone);
            }
        }

        for (const auto& [name, entry] : listed) {
            if (!Access::hidden(*entry)) Access::write(*entry, out, false);
        }
        return {};
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

// Writes one section. Fails with OutOfMemory only: the writer keeps its own failures.
Status write_section(const Command& command, HelpSection section, Writer& out) {
    Status listed;
    switch (section) {
        case HelpSection::preamble:
            write_pieces(out, {command.help_preamble, "\n"});
            break;
        case HelpSection::header:
            write_pieces(out,
                         {banner, indent, command.name, "\n", indent, command.description, "\n\n"});
            break;
        case HelpSection::aliases:
            if (!command.aliases) break;
            write_pieces(out, {indent, "ALIAS(ES): "});
            write_joined(out, *command.aliases);
            out.write("\n\n");
            break;
        case HelpSection::examples:
            if (!command.examples) break;
            write_pieces(out, {indent, "EXAMPLE:\n"});
            for (const std::string_view example : *command.examples)
                write_pieces(out, {entry_indent, example, "\n"});
            out.write("\n");
            break;
        case HelpSection::subcommands:
            if (!command.subcommands) break;
            write_pieces(out, {indent, "SUBCOMMANDS:\n"});
            listed = write_listing<SubcommandEntry>(command, *command.subcommands,
                                                    command.subcommand_groups, out);
            if (listed) out.write("\n");
            break;
        case HelpSection::options:
            if (!command.options) break;
            write_pieces(out, {indent, "OPTIONS:\n"});
            listed =
                write_listing<OptionEntry>(command, *command.options, command.option_groups, out);
            if (listed) out.write("\n");
            break;
        case HelpSection::values:
            if (!command.values) break;
            write_pieces(out, {indent, "VALUES:\n"});
            listed = write_listing<ValueEntry>(command, *command.values, command.value_groups, out);
            if (listed) out.write("\n");
            break;
    }
    return listed;
}

}  // namespace

Status write_help(const Command& command, Writer& out) {
    if (!command.initialized) return std::unexpected(Error::CommandNotInitialized);
    for (const HelpSection section : help_section_order) {
        if (Status listed = write_section(command, section, out); !listed) {
            // A write that failed before the listing ran out of memory failed first.
            return out.status() ? listed : out.status();
        }
    }
    return out.flush();
}

Status write_option_help(const Option& option, Writer& out) {
    // Only an ASCII lower-case first letter is capitalised; other bytes stay as they are.
    std::string_view rest = option.name;
    if (!rest.empty()) {
        char first = rest.front();
        if (first >= 'a' && first <= 'z') first = static_cast<char>(first & ~0x20);
        out.write(std::string_view(&first, 1));
        rest.remove_prefix(1);
    }
    write_pieces(out, {rest, ":\n", continuation_indent});
    write_option_usage(option, out);
    return write_pieces(out, {"\n", continuation_indent, option.description});
}

Status write_value_help(const Value& value, Writer& out) {
    return write_pieces(out, {value.name, " (", type_text(value), "): ", value.description});
}

Status write_group_title(Writer& out, std::string_view title) {
    return write_pieces(out, {" ", indent, "|", title, "|\n"});
}

Status write_joined(Writer& out, std::span<const std::string_view> texts) {
    bool first = true;
    for (const std::string_view text : texts) {
        if (!first) out.write(", ");
        first = false;
        out.write(text);
    }
    return out.status();
}

}  // namespace gorv
