#include "arguments_input.h"

#include <cstdio>
#include <cstdlib>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "cli/command.h"
#include "cli/parser.h"
#include "cli/writer.h"

namespace gorv {
namespace {

constexpr std::size_t max_arguments = 64;

void require(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "broken rule: %s\n", rule);
    std::abort();
}

bool is_bare_parse_error(Error error) {
    return error == Error::EmptyArgumentProvidedToOption || error == Error::CannotParseArgToValue ||
           error == Error::InvalidCharacter || error == Error::Overflow;
}

void check_values(const Command& command) {
    if (command.options) {
        for (const Option& option : *command.options) {
            const Value& value = option.value;
            require(value.count <= value.max_entries, "count within max_entries");
            require(value.count <= value.entries.size(), "count within the capacity");
            require(!value.is_empty || value.count == 0, "an empty value holds no entry");
            require(value.is_set || value.count == 0, "entries only in a set value");
            for (std::size_t at = 0; at < value.count; ++at) {
                require(static_cast<ValueKind>(value.entries[at].index()) == value.type,
                        "entries of the value's kind");
            }
        }
    }
    if (command.subcommands) {
        for (const Command& subcommand : *command.subcommands)
            check_values(subcommand);
    }
}

}  // namespace

void run_arguments_input(const std::uint8_t* data, std::size_t size) {
    // Each NUL byte ends an argument; the bytes after the last one are an argument too,
    // unless there are none. So "" is no argument and "\0" is one empty argument.
    std::vector<std::string> texts{"gorv"};
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty() && texts.size() <= max_arguments) {
        const std::size_t end = rest.find('\0');
        texts.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::vector<char*> argv;
    argv.reserve(texts.size());
    for (std::string& text : texts)
        argv.push_back(text.data());

    Result<std::unique_ptr<Command>> root = make_gorv_command(std::pmr::new_delete_resource());
    require(root.has_value(), "the tree is built");
    MemoryWriter out;
    ArgumentCursor cursor(std::span<char* const>(argv.data(), argv.size()));
    const Status parsed = parse_arguments(cursor, **root, out);
    check_values(**root);

    if (parsed) {
        require(out.text.empty(), "a plain parse writes no display");
    } else if (parsed.error() == Error::UsageHelpCalled ||
               parsed.error() == Error::CommandLineRejected) {
        require(!out.text.empty(), "UsageHelpCalled and CommandLineRejected follow a display");
        require(out.flushed == out.text.size(), "displays are flushed");
    } else {
        require(is_bare_parse_error(parsed.error()), "only the bare parse errors");
        require(out.text.empty(), "a bare error writes no display");
        return;
    }

    const Result<Settings> settings = settings_from_command(**root);
    require(settings.has_value(), "the tree converts into settings");
    require(!settings->accents || settings->accents->size() <= 4, "at most four accents");
    (void)is_requested(**root, "version");
}

}  // namespace gorv
