#pragma once

#include <span>

#include "core/error.h"

namespace gorv {

// The entry point: installs the SIGPIPE handler, runs the main routine and turns its
// outcome into the exit status (0, or 1 after the "error: " line or a rejected command
// line's usage display).
int entry(int argc, char** argv);

// The main routine: command line, terminal session, render state, threads, teardown.
// Fails with CommandLineRejected, once standard output is flushed, when the command line
// was rejected.
[[nodiscard]] Status main_routine(std::span<char* const> arguments);

}  // namespace gorv
