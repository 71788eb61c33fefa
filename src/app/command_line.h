#pragma once

#include <span>

#include "app/error.h"
#include "app/settings.h"

namespace gorv {

// What the command line asked for.
struct CommandLine {
    Settings settings;
    bool answered = false;  // a help, usage or version text was written
};

// The command-line stage: owns the standard-output writer and the command tree from
// read_command_line until end_command_line (or its destruction on an error path).
class CommandLineStage {
  public:
    CommandLineStage();
    ~CommandLineStage();
    CommandLineStage(const CommandLineStage&) = delete;
    CommandLineStage& operator=(const CommandLineStage&) = delete;

    // Parses the process arguments (the first is the program's name) into the settings,
    // or answers a help, usage or version request. Fails with the parser's bare errors,
    // a conversion error, OutOfMemory or WriteFailed.
    [[nodiscard]] Result<CommandLine> read_command_line(std::span<char* const> arguments);

    // Flushes standard output and frees the command tree; WriteFailed when the flush fails.
    [[nodiscard]] Status end_command_line();
};

}  // namespace gorv
