#include "app/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace gorv {
namespace {

constexpr int handled_signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

std::atomic<int> caught{0};
int pipe_read = -1;
std::atomic<int> pipe_write{-1};

void on_termination(int signal_number) {
    const int saved = errno;
    int expected = 0;
    caught.compare_exchange_strong(expected, signal_number);
    if (const int fd = pipe_write.load(); fd >= 0) {
        const char byte = 1;
        (void)::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void catch_termination_signals() {
    int fds[2];
    if (pipe_read < 0 && ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        pipe_read = fds[0];
        pipe_write = fds[1];
    }
    struct sigaction action{};
    action.sa_handler = on_termination;
    sigemptyset(&action.sa_mask);
    for (int signal_number : handled_signals)
        sigaddset(&action.sa_mask, signal_number);
    action.sa_flags = SA_RESTART;
    for (int signal_number : handled_signals)
        (void)sigaction(signal_number, &action, nullptr);
}

void restore_termination_signals() {
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal_number : handled_signals)
        (void)sigaction(signal_number, &action, nullptr);
}

int termination_fd() {
    return pipe_read;
}

int caught_signal() {
    return caught.load();
}

}  // namespace gorv
