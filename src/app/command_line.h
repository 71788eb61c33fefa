#pragma once

#include <memory>
#include <span>

#include "cli/command.h"
#include "cli/writer.h"
#include "core/error.h"
#include "core/settings.h"

namespace gorv {

// What the command line asked for.
struct CommandLine {
    Settings settings;
    bool answered = false;  // a help, usage or version text was written
    bool rejected = false;  // the usage display answered a malformed command line
};

// Converts the parsed root command into the settings: each field from the option of the
// same name (its stored entry, else its default); accents as received, as bright, bold,
// dim when given empty, absent when not given. Fails with CommandNotInitialized,
// NoOptionsInCommand, OutOfMemory, RequestedTypeMismatch (an option's kind differs from
// its field's type) or ValueNotSet (no entry and no default).
[[nodiscard]] Result<Settings> settings_from_command(const Command& command);

// The command-line stage: owns the standard-output writer and the command tree from
// read_command_line until end_command_line (or its destruction on an error path).
class CommandLineStage {
  public:
    CommandLineStage();
    ~CommandLineStage();
    CommandLineStage(const CommandLineStage&) = delete;
    CommandLineStage& operator=(const CommandLineStage&) = delete;

    // Parses the process arguments (the first is the program's name) into the settings,
    // or answers a help, usage or version request; a malformed command line that the
    // parser reported with a usage display is answered and rejected. Fails with the
    // parser's bare errors, a conversion error, OutOfMemory or WriteFailed.
    [[nodiscard]] Result<CommandLine> read_command_line(std::span<char* const> arguments);

    // Flushes standard output and frees the command tree; WriteFailed when the flush fails.
    [[nodiscard]] Status end_command_line();

  private:
    std::unique_ptr<FileWriter> output_;
    std::unique_ptr<Command> root_;
};

}  // namespace gorv
