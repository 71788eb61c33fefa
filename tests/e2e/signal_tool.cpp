// signal_tool: what the end-to-end tests need of signals that a shell cannot do.
//
//   signal_tool run [--block NAME]... [--ignore NAME]... [--foreground] -- PROGRAM [ARG]...
//       Blocks or ignores the named signals (TERM, HUP, ...), and with --foreground moves
//       into a process group of its own that it makes the terminal's foreground group (so
//       that the program can stop, and nobody takes the terminal from it when it does);
//       then executes PROGRAM with that signal state.
//   signal_tool send PID NAME [MS NAME]...
//       Sends the named signals to PID in order, sleeping MS milliseconds between two.
//
// Exit status 2 for a usage error, 1 when a call fails.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

namespace {

struct Named {
    const char* name;
    int number;
};

constexpr Named signal_names[] = {
    {"HUP", SIGHUP},   {"INT", SIGINT},     {"QUIT", SIGQUIT}, {"TERM", SIGTERM},
    {"TSTP", SIGTSTP}, {"CONT", SIGCONT},   {"STOP", SIGSTOP}, {"TTIN", SIGTTIN},
    {"TTOU", SIGTTOU}, {"WINCH", SIGWINCH}, {"USR1", SIGUSR1},
};

int signal_number(std::string_view name) {
    for (const Named& named : signal_names) {
        if (name == named.name) return named.number;
    }
    std::fprintf(stderr, "signal_tool: unknown signal %.*s\n", static_cast<int>(name.size()),
                 name.data());
    std::exit(2);
}

int usage() {
    std::fputs(
        "usage: signal_tool run [--block NAME]... [--ignore NAME]... [--foreground] -- "
        "PROGRAM [ARG]...\n"
        "       signal_tool send PID NAME [MS NAME]...\n",
        stderr);
    return 2;
}

int fail(const char* what) {
    std::fprintf(stderr, "signal_tool: %s: %s\n", what, std::strerror(errno));
    return 1;
}

// Makes a new process group the terminal's foreground group. tcsetpgrp from what is then a
// background group raises SIGTTOU unless it is blocked.
int take_foreground() {
    if (setpgid(0, 0) != 0) return fail("setpgid");
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return fail("/dev/tty");
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigset_t before;
    sigprocmask(SIG_BLOCK, &ttou, &before);
    const int set = tcsetpgrp(tty, getpgrp());
    sigprocmask(SIG_SETMASK, &before, nullptr);
    close(tty);
    return set == 0 ? 0 : fail("tcsetpgrp");
}

int run(int argc, char** argv) {
    sigset_t blocked;
    sigemptyset(&blocked);
    bool foreground = false;
    int i = 2;
    for (; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view option = argv[i];
        if (option == "--foreground") {
            foreground = true;
        } else if ((option == "--block" || option == "--ignore") && i + 1 < argc) {
            const int number = signal_number(argv[++i]);
            if (option == "--block") {
                sigaddset(&blocked, number);
            } else if (std::signal(number, SIG_IGN) == SIG_ERR) {
                return fail("signal");
            }
        } else {
            return usage();
        }
    }
    if (i + 1 >= argc) return usage();
    if (foreground) {
        if (const int failed = take_foreground(); failed != 0) return failed;
    }
    if (sigprocmask(SIG_BLOCK, &blocked, nullptr) != 0) return fail("sigprocmask");
    execvp(argv[i + 1], argv + i + 1);
    return fail(argv[i + 1]);
}

int send(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) return usage();
    const pid_t pid = static_cast<pid_t>(std::atol(argv[2]));
    for (int i = 3; i < argc; i += 2) {
        if (i > 3) {
            const long ms = std::atol(argv[i - 1]);
            timespec left{ms / 1000, (ms % 1000) * 1'000'000};
            while (nanosleep(&left, &left) != 0 && errno == EINTR) {
            }
        }
        if (kill(pid, signal_number(argv[i])) != 0) return fail("kill");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "run") return run(argc, argv);
    if (argc >= 2 && std::string_view(argv[1]) == "send") return send(argc, argv);
    return usage();
}
