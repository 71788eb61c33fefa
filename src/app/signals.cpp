#include "app/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace gorv {
namespace {

constexpr int termination_signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
constexpr int stop_signals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

std::atomic<int> caught{0};
std::atomic<int> stop_caught{0};
std::atomic<bool> continued{false};
int pipe_read = -1;
std::atomic<int> pipe_write{-1};

void wake_watcher() {
    if (const int fd = pipe_write.load(); fd >= 0) {
        const char byte = 1;
        const ssize_t written = ::write(fd, &byte, 1);
        (void)written;  // a full pipe already holds a wake-up
    }
}

void on_termination(int signal_number) {
    const int saved = errno;
    int expected = 0;
    caught.compare_exchange_strong(expected, signal_number);
    wake_watcher();
    errno = saved;
}

void on_stop(int signal_number) {
    const int saved = errno;
    stop_caught.store(signal_number);
    wake_watcher();
    errno = saved;
}

void on_continue(int /*signal_number*/) {
    const int saved = errno;
    continued.store(true);
    wake_watcher();
    errno = saved;
}

void install(int signal_number, void (*handler)(int)) {
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int blocked : termination_signals)
        sigaddset(&action.sa_mask, blocked);
    action.sa_flags = SA_RESTART;
    (void)sigaction(signal_number, &action, nullptr);
}

void set_default(int signal_number) {
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    (void)sigaction(signal_number, &action, nullptr);
}

}  // namespace

void catch_termination_signals() {
    int fds[2];
    if (pipe_read < 0 && ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        pipe_read = fds[0];
        pipe_write = fds[1];
    }
    for (int signal_number : termination_signals)
        install(signal_number, on_termination);
    for (int signal_number : stop_signals)
        install(signal_number, on_stop);
    install(SIGCONT, on_continue);
}

void restore_termination_signals() {
    for (int signal_number : termination_signals)
        set_default(signal_number);
    for (int signal_number : stop_signals)
        set_default(signal_number);
    set_default(SIGCONT);
}

int termination_fd() {
    return pipe_read;
}

int caught_signal() {
    return caught.load();
}

int take_stop_signal() {
    return stop_caught.exchange(0);
}

bool take_continued() {
    return continued.exchange(false);
}

void stop_process(int signal_number) {
    set_default(signal_number);
    // Raised on this thread and not blocked here: the process stops before raise returns,
    // and goes on from here once continued.
    sigset_t only{};
    sigemptyset(&only);
    sigaddset(&only, signal_number);
    (void)pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    (void)raise(signal_number);
    install(signal_number, on_stop);
}

}  // namespace gorv
