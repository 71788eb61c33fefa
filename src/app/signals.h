#pragma once

namespace gorv {

// While the terminal is taken over, SIGTERM, SIGINT, SIGHUP and SIGQUIT end the run as a
// key press does instead of killing the process with the terminal left in raw mode.
// The handlers only record the signal and write a byte to a self-pipe, which the
// watcher waits on beside the terminal.

// Installs the handlers (once the terminal is taken over). Without a pipe the handlers
// still record the signal; the watcher then sees it within its poll timeout.
void catch_termination_signals();

// Puts the default actions back (once the terminal is given back).
void restore_termination_signals();

// The read end of the self-pipe, or -1.
[[nodiscard]] int termination_fd();

// The number of the first signal caught since the handlers were installed, or 0.
[[nodiscard]] int caught_signal();

}  // namespace gorv
