#pragma once

namespace gorv {

// From just before the terminal is taken over until it is given back:
// - SIGTERM, SIGINT, SIGHUP and SIGQUIT end the run as a key press does (the exit status
//   is then 128 + the signal's number) instead of killing the process with the terminal
//   left in raw mode;
// - SIGTSTP, SIGTTIN and SIGTTOU ask the watcher to give the terminal back and stop the
//   process, and SIGCONT asks it to take the terminal over again and redraw.
// The handlers only record the signal and write a byte to a self-pipe, which the watcher
// waits on beside the terminal.

// Installs the handlers. Without a pipe the handlers still record the signal; the watcher
// then sees it within its poll timeout.
void catch_termination_signals();

// Puts the default actions back (once the terminal is given back).
void restore_termination_signals();

// The read end of the self-pipe, or -1.
[[nodiscard]] int termination_fd();

// The number of the first termination signal caught since the handlers were installed,
// or 0.
[[nodiscard]] int caught_signal();

// The stop signal caught and not yet acted on, or 0; taking it clears it.
[[nodiscard]] int take_stop_signal();

// Whether SIGCONT came since the last call; taking it clears it.
[[nodiscard]] bool take_continued();

// Stops the process as `signal_number` (a stop signal) does by default, and returns once a
// SIGCONT has continued it, with the handler back in place.
void stop_process(int signal_number);

}  // namespace gorv
