#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "app/error.h"
#include "app/settings.h"
#include "cli/command.h"
#include "cli/writer.h"

namespace gorv {

// What the command line asked for.
struct CommandLine {
    Settings settings;
    bool answered = false;  // a help, usage or version text was written
};

// A buffered writer on a file descriptor (standard output for the program). Pieces are
// appended to a 2048-byte buffer; a full buffer is drained first. Every failed write(2),
// EPIPE included, is WriteFailed (EINTR is retried); the undelivered bytes are dropped.
// Destruction does not flush.
class FileWriter final : public Writer {
  public:
    static constexpr std::size_t buffer_size = 2048;

    explicit FileWriter(int fd) : fd_(fd) {}

    [[nodiscard]] Status write(std::string_view bytes) override;
    [[nodiscard]] Status flush() override;

  private:
    int fd_;
    std::array<char, buffer_size> buffer_{};
    std::size_t used_ = 0;
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
    // or answers a help, usage or version request. Fails with the parser's bare errors,
    // a conversion error, OutOfMemory or WriteFailed.
    [[nodiscard]] Result<CommandLine> read_command_line(std::span<char* const> arguments);

    // Flushes standard output and frees the command tree; WriteFailed when the flush fails.
    [[nodiscard]] Status end_command_line();

  private:
    std::unique_ptr<FileWriter> output_;
    std::unique_ptr<Command> root_;
};

}  // namespace gorv
