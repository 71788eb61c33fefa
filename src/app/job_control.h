#pragma once

// Job control: the one owner of the decision when the program holds the terminal. It keeps
// the signal dispositions and the mask, the handlers of the signals that end, stop or
// continue a run, and every takeover and give-back of the terminal. The handlers only
// record and wake; the watcher asks `next_job_step` what the record asks for and carries
// it out here. Everything but the handlers runs on one thread at a time: the main thread
// until the threads start (the first takeover), then the watcher.
//
// Signals, from `catch_run_signals` until `restore_run_signals`:
// - SIGTERM, SIGINT, SIGHUP and SIGQUIT end the run as a key press does (the exit status is
//   then 128 + the signal's number), unless the program found them ignored: those stay
//   ignored.
// - SIGTSTP gives the terminal back and stops the process as its default action would;
//   SIGCONT takes the terminal over again and redraws. A SIGCONT that comes before the
//   stop is carried out cancels it, as it would without handlers. SIGTSTP found ignored
//   stays ignored; SIGCONT is caught whatever was found, since ignoring it never kept a
//   process stopped.
// - SIGTTIN and SIGTTOU keep the dispositions found: the kernel's own stop is what a
//   terminal call from the background needs, and a handler would turn it into a restarted
//   call that raises them again.
// Before every takeover, while the process is not in the terminal's foreground process
// group, it stops itself by SIGTTOU's default action, as full-screen programs do, and tries
// again once continued.

#include <csignal>
#include <cstdint>

namespace gorv {

// What the signals recorded so far ask for. Sequence numbers order the stops and continues
// among themselves: 0 is none.
struct SignalRecord {
    int terminating = 0;              // the first termination signal caught, or 0
    std::uint64_t last_stop = 0;      // the latest SIGTSTP
    std::uint64_t last_continue = 0;  // the latest SIGCONT
};

struct JobStep {
    enum class Kind : std::uint8_t { none, terminate, suspend, resume };
    Kind kind = Kind::none;
    int signal = 0;  // the termination signal, or the stop signal
};

// The decision over a record, without side effects. A termination comes first; a stop
// older than the latest continue is dropped, as the kernel drops a pending stop on SIGCONT;
// each stop and continue is acted on once.
class JobDecision {
  public:
    [[nodiscard]] JobStep next(const SignalRecord& record);

    // Whether a continue came after everything acted on: a stop about to be carried out is
    // then cancelled.
    [[nodiscard]] bool continued_since(const SignalRecord& record) const {
        return record.last_continue > acted_;
    }

    // Marks every continue in the record, and every stop older than the latest continue, as
    // acted on: the process has just been continued and takes the terminal over anyway. A
    // newer stop is still to come.
    void act_on_continues(const SignalRecord& record);

  private:
    std::uint64_t acted_ = 0;
};

// Takes the signal state the process was started with. Call once at entry, on the main
// thread, before any thread starts: records the dispositions found and unblocks the signals
// the program relies on (SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU,
// SIGCONT, SIGWINCH), so that every thread started later inherits that mask.
void take_signal_state();

// Installs the handlers (see above) and the wake pipe. Without a pipe the handlers still
// record; the watcher then notices within its poll timeout.
void catch_run_signals();

// Puts back the dispositions found at entry.
void restore_run_signals();

// The read end of the wake pipe, or -1. It becomes readable after every signal caught.
[[nodiscard]] int signal_wake_fd();

// The first termination signal caught since the handlers were installed, or 0.
[[nodiscard]] int terminating_signal();

// What the signals caught ask for that has not been acted on yet.
[[nodiscard]] JobStep next_job_step();

// While it lives, the calling thread, and every thread it starts, leaves the run's signals
// to the others. The main thread holds it while it only waits for the threads, around the
// renderer's start: the watcher alone then runs the handlers, so a continue is recorded
// before the watcher goes on from its next system call, and never lost to a stop it raises.
class RunSignalsElsewhere {
  public:
    RunSignalsElsewhere();
    ~RunSignalsElsewhere();
    RunSignalsElsewhere(const RunSignalsElsewhere&) = delete;
    RunSignalsElsewhere& operator=(const RunSignalsElsewhere&) = delete;

  private:
    sigset_t previous_{};
};

enum class Takeover : std::uint8_t {
    taken,      // the terminal is the program's
    refused,    // the terminal layer failed for another reason: the size read fails next
    abandoned,  // a termination signal came while waiting, or the process cannot be
                // stopped to wait (its process group is orphaned, or SIGTTOU was ignored)
};

// Takes the terminal over once the process is in its foreground process group, stopping
// by SIGTTOU's default action until then.
[[nodiscard]] Takeover take_terminal();

// Gives the terminal back (nothing when it is not taken).
void give_terminal_back();

// Gives the terminal back and stops the process as `signal_number` does by default, unless
// a continue or a termination signal came first; then takes the terminal over again. False
// when the run must end instead (see Takeover::abandoned).
[[nodiscard]] bool suspend_terminal(int signal_number);

// Takes the terminal over afresh, after the process was continued (the shell may have drawn
// on it and changed its modes). False when the run must end instead.
[[nodiscard]] bool resume_terminal();

}  // namespace gorv
