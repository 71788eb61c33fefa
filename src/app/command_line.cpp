#include "app/command_line.h"

#include <unistd.h>

#include <algorithm>
#include <memory_resource>
#include <new>
#include <optional>
#include <type_traits>
#include <vector>

#include "cli/parser.h"
#include "core/version.h"

namespace gorv {
namespace {

// What a field reads from its option: the kind must match the field's type.
template <class T>
Status read_field(const std::pmr::vector<const Option*>& index, std::string_view name,
                  ValueKind kind, T& field) {
    const Option* option = nullptr;
    for (const Option* candidate : index) {
        if (candidate->name == name) option = candidate;
    }
    if (option == nullptr) return {};
    if (option->value.type != kind) return std::unexpected(Error::RequestedTypeMismatch);
    const std::optional<Entry> value = get_value(option->value);
    if (value && entry_kind(*value) != kind) return std::unexpected(Error::RequestedTypeMismatch);
    if (!value) {
        if constexpr (std::is_same_v<T, bool>) {
            field = false;
            return {};
        } else {
            return std::unexpected(Error::ValueNotSet);
        }
    }
    field = std::get<T>(*value);
    return {};
}

// The accents as received; given without an argument, the three of the plain run.
std::optional<std::vector<Accent>> read_accents(const Option& option) {
    const Value& value = option.value;
    if (!value.is_set) return std::nullopt;
    try {
        std::vector<Accent> accents;
        if (value.is_empty) {
            accents = {Accent::bright, Accent::bold, Accent::dim};
        } else {
            const std::size_t count = std::min<std::size_t>(value.count, value.entries.size());
            for (std::size_t at = 0; at < count; ++at) {
                if (const auto* accent = std::get_if<Accent>(&value.entries[at])) {
                    accents.push_back(*accent);
                }
            }
        }
        return accents;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace

Result<Settings> settings_from_command(const Command& command) {
    if (!command.initialized) return std::unexpected(Error::CommandNotInitialized);
    if (!command.options || command.options->empty()) {
        return std::unexpected(Error::NoOptionsInCommand);
    }
    std::pmr::memory_resource* resource =
        command.allocator != nullptr ? command.allocator : std::pmr::get_default_resource();
    try {
        // Options that were given or that declare a default; a later one of the same
        // name takes the place of an earlier one.
        std::pmr::vector<const Option*> index(resource);
        for (const Option& option : *command.options) {
            if (option.value.is_set || option.value.default_value) index.push_back(&option);
        }

        Settings settings;
        // The fields in the order of the record; the first failure ends the conversion.
        Status read = read_field(index, "debug", ValueKind::boolean, settings.debug);
        if (read) read = read_field(index, "bare", ValueKind::boolean, settings.bare);
        if (read) read = read_field(index, "color", ValueKind::color, settings.color);
        if (read) read = read_field(index, "style", ValueKind::style, settings.style);
        if (read) read = read_field(index, "mode", ValueKind::mode, settings.mode);
        if (read) read = read_field(index, "time", ValueKind::u32, settings.time);
        if (read) read = read_field(index, "speed", ValueKind::speed, settings.speed);
        if (!read) return std::unexpected(read.error());
        const Option* accents = nullptr;
        for (const Option* candidate : index) {
            if (candidate->name == "accents") accents = candidate;
        }
        if (accents != nullptr) {
            if (accents->value.type != ValueKind::accent) {
                return std::unexpected(Error::RequestedTypeMismatch);
            }
            settings.accents = read_accents(*accents);
        }
        return settings;
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
}

CommandLineStage::CommandLineStage() = default;
CommandLineStage::~CommandLineStage() = default;

Result<CommandLine> CommandLineStage::read_command_line(std::span<char* const> arguments) {
    try {
        output_ = std::make_unique<FileWriter>(STDOUT_FILENO);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
    Result<std::unique_ptr<Command>> tree = make_gorv_command(std::pmr::new_delete_resource());
    if (!tree) return std::unexpected(Error::OutOfMemory);
    root_ = std::move(*tree);

    CommandLine outcome;
    ArgumentCursor cursor(arguments);
    if (Status parsed = parse_arguments(cursor, *root_, *output_); parsed) {
        if (Status flushed = output_->flush(); !flushed) {
            root_.reset();
            return std::unexpected(flushed.error());
        }
    } else if (parsed.error() == Error::UsageHelpCalled ||
               parsed.error() == Error::CommandLineRejected) {
        outcome.answered = true;
        outcome.rejected = parsed.error() == Error::CommandLineRejected;
    } else {
        root_.reset();
        return std::unexpected(parsed.error());
    }

    Result<Settings> settings = settings_from_command(*root_);
    if (!settings) {
        root_.reset();
        return std::unexpected(settings.error());
    }
    outcome.settings = std::move(*settings);

    if (is_requested(*root_, "version")) {
        if (Status written = write_pieces(*output_, {"gorv version ", program_version, "\n"});
            !written) {
            return std::unexpected(written.error());
        }
        outcome.answered = true;
    }
    return outcome;
}

Status CommandLineStage::end_command_line() {
    Status flushed;
    if (output_) flushed = output_->flush();
    root_.reset();
    return flushed;
}

}  // namespace gorv
