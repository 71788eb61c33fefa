#include "app/job_control.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <iterator>
#include <mutex>

#include "core/terminal_lock.h"
#include "term/termbox2.h"

namespace gorv {

JobStep JobDecision::next(const SignalRecord& record) {
    if (record.terminating != 0) return {JobStep::Kind::terminate, record.terminating};
    if (record.last_stop > acted_ && record.last_stop > record.last_continue) {
        acted_ = record.last_stop;
        return {JobStep::Kind::suspend, SIGTSTP};
    }
    if (record.last_continue > acted_) {
        acted_ = record.last_continue;
        return {JobStep::Kind::resume, 0};
    }
    return {};
}

void JobDecision::act_on_continues(const SignalRecord& record) {
    acted_ = std::max(acted_, record.last_continue);
}

namespace {

static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<std::uint64_t>::is_always_lock_free);

constexpr int termination_signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
// The signals with handlers of ours, and SIGTTOU, whose disposition decides whether the
// process can stop itself to wait for the foreground.
constexpr int known_signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT, SIGTTOU};
constexpr int relied_on[] = {SIGTERM, SIGINT,  SIGHUP,  SIGQUIT, SIGTSTP,
                             SIGTTIN, SIGTTOU, SIGCONT, SIGWINCH};

struct Disposition {
    struct sigaction found{};
    bool known = false;  // `found` holds what the process was started with
    bool caught = false;
};

// The dispositions, the pipe and the decision: written on the main thread before the
// threads start, and afterwards only by the one thread that acts on job steps.
Disposition dispositions[std::size(known_signals)];
int wake_read = -1;
JobDecision decision;

// Written by the handlers.
std::atomic<int> terminating{0};
std::atomic<std::uint64_t> events{0};
std::atomic<std::uint64_t> last_stop{0};
std::atomic<std::uint64_t> last_continue{0};
std::atomic<int> wake_write{-1};

Disposition& disposition_of(int signal_number) {
    const auto* found =
        std::find(std::begin(known_signals), std::end(known_signals), signal_number);
    return dispositions[found - std::begin(known_signals)];
}

bool found_ignored(const Disposition& disposition) {
    return disposition.known && (disposition.found.sa_flags & SA_SIGINFO) == 0 &&
           disposition.found.sa_handler == SIG_IGN;
}

SignalRecord record() {
    return {terminating.load(), last_stop.load(), last_continue.load()};
}

void wake() {
    if (const int fd = wake_write.load(); fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up.
        const ssize_t written = ::write(fd, &byte, 1);
        (void)written;
    }
}

// Handlers may run on two threads at once: the latest sequence number wins.
void record_event(std::atomic<std::uint64_t>& latest) {
    const std::uint64_t number = events.fetch_add(1) + 1;
    std::uint64_t seen = latest.load();
    while (seen < number && !latest.compare_exchange_weak(seen, number)) {
    }
}

void on_termination(int signal_number) {
    const int saved = errno;
    int none = 0;
    terminating.compare_exchange_strong(none, signal_number);
    wake();
    errno = saved;
}

void on_stop(int /*signal_number*/) {
    const int saved = errno;
    record_event(last_stop);
    wake();
    errno = saved;
}

void on_continue(int /*signal_number*/) {
    const int saved = errno;
    record_event(last_continue);
    wake();
    errno = saved;
}

// The run's signals, with handlers or not: what RunSignalsElsewhere holds off.
sigset_t run_signal_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : termination_signals)
        sigaddset(&set, signal_number);
    sigaddset(&set, SIGTSTP);
    sigaddset(&set, SIGCONT);
    return set;
}

// The handlers run one at a time on a thread (the run's signals are blocked in each), and
// a write to the terminal that one of them interrupts goes on instead of failing.
void install(int signal_number, void (*handler)(int)) {
    struct sigaction action{};
    action.sa_handler = handler;
    action.sa_mask = run_signal_set();
    action.sa_flags = SA_RESTART;
    (void)sigaction(signal_number, &action, nullptr);
}

void set_default(int signal_number) {
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    (void)sigaction(signal_number, &action, nullptr);
}

// Stops the process by the default action of `signal_number` (SIGTSTP or SIGTTOU), unless a
// continue came after everything acted on. True when it was stopped and continued since, or
// the stop was cancelled by such a continue; false when the kernel discarded the stop (an
// orphaned process group) or SIGTTOU's found disposition forbids it.
bool stop_process(int signal_number) {
    Disposition& disposition = disposition_of(signal_number);
    if (found_ignored(disposition)) return false;
    const std::uint64_t before = last_continue.load();
    if (disposition.caught) set_default(signal_number);
    // Checked after the last system call before the stop: this thread runs the handlers
    // (RunSignalsElsewhere), so a continue that came earlier has been recorded by now. A
    // continue after the stop signal is raised cancels or ends the stop by itself.
    const bool cancelled = decision.continued_since(record());
    if (!cancelled) {
        // To this thread, where it is not blocked, rather than raise(), which blocks every
        // signal around the kill and would let a continue in that moment be flushed unseen.
        (void)::tgkill(::getpid(), ::gettid(), signal_number);
    }
    if (disposition.caught) install(signal_number, on_stop);
    return cancelled || last_continue.load() != before;
}

}  // namespace

void take_signal_state() {
    for (std::size_t i = 0; i < std::size(known_signals); ++i) {
        if (dispositions[i].known) continue;
        dispositions[i].known = sigaction(known_signals[i], nullptr, &dispositions[i].found) == 0;
    }
    sigset_t unblocked;
    sigemptyset(&unblocked);
    for (int signal_number : relied_on)
        sigaddset(&unblocked, signal_number);
    (void)pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
}

void catch_run_signals() {
    int fds[2];
    if (wake_read < 0 && ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        // Never closed: a handler may write to it at any moment until the process ends.
        wake_read = fds[0];
        wake_write = fds[1];
    }
    for (std::size_t i = 0; i < std::size(known_signals); ++i) {
        const int signal_number = known_signals[i];
        Disposition& disposition = dispositions[i];
        if (signal_number == SIGTTOU || disposition.caught) continue;
        if (signal_number != SIGCONT && found_ignored(disposition)) continue;
        void (*handler)(int) = on_termination;
        if (signal_number == SIGTSTP) handler = on_stop;
        if (signal_number == SIGCONT) handler = on_continue;
        install(signal_number, handler);
        disposition.caught = true;
    }
}

void restore_run_signals() {
    for (std::size_t i = 0; i < std::size(known_signals); ++i) {
        Disposition& disposition = dispositions[i];
        if (!disposition.caught) continue;
        if (disposition.known) {
            (void)sigaction(known_signals[i], &disposition.found, nullptr);
        } else {
            set_default(known_signals[i]);
        }
        disposition.caught = false;
    }
}

int signal_wake_fd() {
    return wake_read;
}

int terminating_signal() {
    return terminating.load();
}

JobStep next_job_step() {
    return decision.next(record());
}

RunSignalsElsewhere::RunSignalsElsewhere() {
    const sigset_t set = run_signal_set();
    (void)pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

RunSignalsElsewhere::~RunSignalsElsewhere() {
    (void)pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

Takeover take_terminal() {
    for (;;) {
        if (terminating.load() != 0) return Takeover::abandoned;
        int taken = TB_OK;
        {
            std::lock_guard guard(terminal_lock());
            taken = tb_init();
        }
        if (taken == TB_OK) return Takeover::taken;
        if (taken != TB_ERR_TCSETATTR) return Takeover::refused;
        if (!stop_process(SIGTTOU)) return Takeover::abandoned;
        decision.act_on_continues(record());
    }
}

void give_terminal_back() {
    std::lock_guard guard(terminal_lock());
    (void)tb_shutdown();
}

bool suspend_terminal(int signal_number) {
    give_terminal_back();
    if (terminating.load() != 0) return false;
    (void)stop_process(signal_number);
    decision.act_on_continues(record());
    return take_terminal() != Takeover::abandoned;
}

bool resume_terminal() {
    give_terminal_back();
    return take_terminal() != Takeover::abandoned;
}

}  // namespace gorv
