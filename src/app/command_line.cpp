#include "app/command_line.h"

namespace gorv {

CommandLineStage::CommandLineStage() = default;
CommandLineStage::~CommandLineStage() = default;

Result<CommandLine> CommandLineStage::read_command_line(std::span<char* const>) {
    return CommandLine{};
}

Status CommandLineStage::end_command_line() {
    return {};
}

}  // namespace gorv
