#pragma once

// A child process on a pseudo-terminal of its own, for tests of what the terminal layer does
// to a real terminal device: the child is the session leader of a new pseudo-terminal (or
// of none), with its standard streams on files, and the parent plays the terminal's other
// side: it reads what the child writes to the terminal, types, resizes, and reads the
// lines the child reports on a pipe.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

namespace gorv::testing {

inline constexpr int report_timeout_ms = 10000;

inline std::string read_file(int fd) {
    std::string text;
    char buffer[512];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

inline int temporary_file() {
    char name[] = "/tmp/gorv-tty-test-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) unlink(name);
    return fd;
}

class Child {
  public:
    using Body = std::function<int(Child&)>;

    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {master_, report_read_, out_, err_}) {
            if (fd >= 0) close(fd);
        }
    }

    // Starts body in the child, on a new w x h pseudo-terminal when with_terminal, with
    // TERM set to term (unset when nullptr) and the "C" locale in force.
    bool start(bool with_terminal, const char* term, const Body& body, int w = 30, int h = 8) {
        out_ = temporary_file();
        err_ = temporary_file();
        int report[2];
        if (out_ < 0 || err_ < 0 || pipe2(report, O_CLOEXEC) != 0) return false;
        report_read_ = report[0];
        char slave_name[128] = {};
        if (with_terminal) {
            master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
                ptsname_r(master_, slave_name, sizeof slave_name) != 0) {
                return false;
            }
            resize(w, h);
        }
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            close(report[0]);
            report_write_ = report[1];
            setsid();
            if (with_terminal) {
                const int slave = open(slave_name, O_RDWR);
                if (slave < 0 || ioctl(slave, TIOCSCTTY, 0) != 0) _exit(90);
            }
            const int null_fd = open("/dev/null", O_RDONLY);
            if (null_fd < 0 || dup2(null_fd, 0) < 0 || dup2(out_, 1) < 0 || dup2(err_, 2) < 0) {
                _exit(91);
            }
            if (term != nullptr) {
                setenv("TERM", term, 1);
            } else {
                unsetenv("TERM");
            }
            std::setlocale(LC_ALL, "C");
            _exit(body(*this));
        }
        close(report[1]);
        return true;
    }

    // Child side: one line for the parent.
    void report(const std::string& line) const {
        const std::string text = line + "\n";
        if (write(report_write_, text.data(), text.size()) < 0) _exit(92);
    }

    // The next reported line, or "" after report_timeout_ms or when the child is gone.
    std::string next_report() {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(report_timeout_ms);
        for (;;) {
            const std::size_t end = reports_.find('\n');
            if (end != std::string::npos) {
                std::string line = reports_.substr(0, end);
                reports_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !pump(static_cast<int>(left.count()))) return "";
        }
    }

    // What the child wrote to the terminal since the last call, after waiting up to
    // timeout_ms for the first of it.
    std::string wait_output(int timeout_ms) {
        pump(timeout_ms);
        return terminal_output();
    }

    // Everything the child wrote to the terminal since the last call.
    std::string terminal_output() {
        while (pump(0)) {
        }
        std::string text;
        text.swap(output_);
        return text;
    }

    void type(const std::string& bytes) const {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    void resize(int w, int h) const {
        winsize ws{};
        ws.ws_col = static_cast<unsigned short>(w);
        ws.ws_row = static_cast<unsigned short>(h);
        ioctl(master_, TIOCSWINSZ, &ws);
    }

    // The child's exit status, or -1 when it had to be killed or a signal ended it.
    int finish() {
        const int status = wait_status();
        return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The child's wait status, or -1 when it did not end within 10 s.
    int wait_status() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                while (pump(0)) {
                }
                return status;
            }
            pump(20);
        }
        return -1;
    }

    // While set, the terminal's output is read only by read_slowly.
    void stall_terminal(bool stalled) { stalled_ = stalled; }

    // Reads at most `most` bytes of the terminal's output, without waiting; their count.
    std::size_t read_slowly(std::size_t most) {
        char buffer[4096];
        const ssize_t n = read(master_, buffer, std::min(most, sizeof buffer));
        if (n <= 0) return 0;
        output_.append(buffer, static_cast<std::size_t>(n));
        return static_cast<std::size_t>(n);
    }

    // Whether the child has ended, without reaping it.
    bool ended() const {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == pid_;
    }

    // The modes of the terminal as its other side sees them.
    termios modes() const {
        termios t{};
        tcgetattr(master_, &t);
        return t;
    }

    std::string standard_output() const { return read_file(out_); }
    std::string standard_error() const { return read_file(err_); }

  private:
    // Moves what the child wrote into output_ and reports_; false when nothing came.
    bool pump(int timeout_ms) {
        pollfd fds[2] = {{report_read_, POLLIN, 0}, {master_, POLLIN, 0}};
        if (poll(fds, master_ >= 0 && !stalled_ ? 2 : 1, timeout_ms) <= 0) return false;
        bool got = false;
        char buffer[4096];
        if ((fds[0].revents & (POLLIN | POLLHUP)) != 0) {
            const ssize_t n = read(report_read_, buffer, sizeof buffer);
            if (n > 0) reports_.append(buffer, static_cast<std::size_t>(n));
            got = got || n > 0;
        }
        if (master_ >= 0 && !stalled_ && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) output_.append(buffer, static_cast<std::size_t>(n));
            got = got || n > 0;
        }
        return got;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    int report_read_ = -1;
    int report_write_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string output_;
    std::string reports_;
    bool stalled_ = false;
};

}  // namespace gorv::testing
