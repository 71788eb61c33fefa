// The sweep of installed terminal descriptions: every name given on standard input (one a
// line, as `toe -a` lists them) is read and checked in this process, and with
// --program run by the program itself in a pseudo-terminal. Prints one line for each
// description that did not run cleanly, then the counts per outcome.
//
//   toe -a | awk '{print $1}' | sort -u | gorv_description_sweep [--program PATH] [--jobs N]
//
// In this process, for each description: every parameterised capability the layer reads
// is parsed (literal, numeric or refused), and each numeric one is expanded by the
// layer's interpreter and by ncurses' tiparm for a grid of parameters, which must agree
// byte for byte and stay within max_length(); the description is then described and a
// few random frames are encoded at 40 x 12 into a buffer of the size the layer gives it.
//
// With --program, each description is also run as `PATH --bare` on a 40 x 12
// pseudo-terminal with TERM set to it, sent a key after 300 ms, and must end within 5 s
// with status 0 and the terminal's modes as before. A run that writes the debug-mode
// warning fell back; the reason is the in-process outcome (no cursor addressing, or one the
// layer refused).

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "term/capability.h"
#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/termbox2.h"
#include "term/terminal_description.h"
#include "term/terminfo_reader.h"

namespace {

using term_internal::ParamCapability;

constexpr const char* parameterised[] = {"cup", "cuf",   "cub",   "cud",  "hpa",
                                         "ich", "setaf", "setab", "setf", "setb"};
constexpr int grid[] = {0,  1,  2,  7,  8,  9,   10,  15,  16,  23,
                        24, 39, 79, 80, 99, 100, 199, 255, 256, 999};

struct Tally {
    std::mutex lock;
    std::map<std::string, int> outcomes;
    std::map<std::string, int> kinds;  // "cup numeric", "setaf refused", ...
    int compared = 0;                  // expansions compared with tiparm
    int mismatches = 0;
    std::size_t longest = 0;  // the largest max_length() of a numeric capability
    std::string longest_name;

    void count(const std::string& outcome) {
        const std::lock_guard guard(lock);
        ++outcomes[outcome];
    }
};

const char* kind_name(ParamCapability::Kind kind) {
    switch (kind) {
        case ParamCapability::Kind::absent:
            return "absent";
        case ParamCapability::Kind::refused:
            return "refused";
        case ParamCapability::Kind::literal:
            return "literal";
        case ParamCapability::Kind::numeric:
            return "numeric";
    }
    return "?";
}

std::string visible(const std::string& bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown.push_back(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
    }
    return shown;
}

// The capabilities of one entry against tiparm; false on any difference.
bool check_capabilities(const std::string& name, const term_internal::TerminfoEntry& entry,
                        Tally& tally) {
    bool same = true;
    for (const char* capability : parameterised) {
        const std::string* text = entry.find(capability);
        const ParamCapability parsed =
            text == nullptr ? ParamCapability() : ParamCapability(std::string_view(*text));
        int compared = 0;
        int mismatches = 0;
        if (parsed.kind() == ParamCapability::Kind::numeric) {
            // A fresh description for each capability: its static variables start at 0.
            term_internal::ReferenceTerminal reference(name.c_str());
            const bool two = std::string_view(capability) == "cup";
            for (const int p1 : grid) {
                for (const int p2 : grid) {
                    if (!two && p2 != 0) continue;
                    const auto expected = reference.expand(*text, p1, p2);
                    char out[term_internal::capability_limit];
                    const std::string got(out, parsed.write(out, p1, p2));
                    ++compared;
                    if (expected && term_internal::without_padding(*expected) == got &&
                        parsed.length(p1, p2) == got.size() && got.size() <= parsed.max_length()) {
                        continue;
                    }
                    if (++mismatches <= 2) {
                        std::printf("%s %s(%d, %d): ours \"%s\", tiparm \"%s\"\n", name.c_str(),
                                    capability, p1, p2, visible(got).c_str(),
                                    expected ? visible(*expected).c_str() : "(failed)");
                    }
                }
            }
        }
        const std::lock_guard guard(tally.lock);
        if (text != nullptr)
            ++tally.kinds[std::string(capability) + " " + kind_name(parsed.kind())];
        tally.compared += compared;
        tally.mismatches += mismatches;
        if (parsed.kind() == ParamCapability::Kind::numeric &&
            parsed.max_length() > tally.longest) {
            tally.longest = parsed.max_length();
            tally.longest_name = name + " " + capability;
        }
        same = same && mismatches == 0;
    }
    return same;
}

// A few random frames at 40 x 12, as the layer encodes them; false when one fails.
bool encode_frames(const term_internal::TerminalDescription& description, unsigned seed) {
    constexpr int width = 40;
    constexpr int height = 12;
    const term_internal::FrameEncoder encoder(description);
    term_internal::CellBuffers buffers;
    if (term_internal::resize_cell_buffers(buffers, width, height) != TB_OK) return false;
    term_internal::forget_front(buffers);
    term_internal::ScreenModel model;
    term_internal::OutputBuffer out;
    std::mt19937 random(seed);
    const std::uint32_t glyphs[] = {'0', '1', ' ', 0xFF8A, 0x250C};
    for (int frame = 0; frame < 4; ++frame) {
        for (term_internal::Cell& cell : buffers.back) {
            cell.ch = glyphs[random() % std::size(glyphs)];
            cell.fg = static_cast<uintattr_t>((random() % 9) | (random() % 2 ? TB_BOLD : 0) |
                                              (random() % 2 ? TB_BRIGHT : 0) |
                                              (random() % 4 ? 0 : TB_DIM));
            cell.bg = static_cast<uintattr_t>(random() % 3 == 0 ? random() % 9 : 0);
        }
        out.size = 0;
        if (encoder.encode(buffers, model, out) != TB_OK || out.size > out.capacity) return false;
    }
    return true;
}

// The in-process outcome of one description: "describes", or why it does not.
std::string check_in_process(const std::string& name, Tally& tally) {
    term_internal::TerminfoEntry entry;
    // setupterm refuses hardcopy and generic descriptions as well as missing ones.
    if (term_internal::read_terminfo(name.c_str(), entry) != TB_OK) {
        return "setupterm refuses it (hardcopy or generic)";
    }
    const bool same = check_capabilities(name, entry, tally);
    term_internal::TerminalDescription description;
    std::string outcome;
    if (term_internal::describe_terminal(entry, description) == TB_OK) {
        outcome = encode_frames(description, static_cast<unsigned>(name.size()))
                      ? "describes"
                      : "encoding failed";
    } else if (entry.find("cup") == nullptr) {
        outcome = "no cup";
    } else {
        outcome =
            "cup " +
            std::string(kind_name(ParamCapability(std::string_view(*entry.find("cup"))).kind()));
    }
    if (!same) outcome += ", differs from tiparm";
    return outcome;
}

bool same_modes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// Runs the program on a pseudo-terminal: "ran", "fell back", or what went wrong.
std::string run_program(const std::string& program, const std::string& name) {
    char error_name[] = "/tmp/gorv-sweep-XXXXXX";
    const int error_fd = mkstemp(error_name);
    if (error_fd < 0) return "no temporary file";
    unlink(error_name);
    winsize size{};
    size.ws_col = 40;
    size.ws_row = 12;
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        close(error_fd);
        return "no pseudo-terminal";
    }
    // The modes as found, before the program can change them.
    termios before{};
    tcgetattr(master, &before);
    const pid_t pid = fork();
    if (pid < 0) {
        close(error_fd);
        close(master);
        close(slave);
        return "no process";
    }
    if (pid == 0) {
        close(master);
        if (login_tty(slave) != 0) _exit(126);
        dup2(error_fd, 2);
        setenv("TERM", name.c_str(), 1);
        execl(program.c_str(), program.c_str(), "--bare", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    const auto start = std::chrono::steady_clock::now();
    bool sent = false;
    int status = 0;
    bool ended = false;
    char buffer[4096];
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        pollfd fds{master, POLLIN, 0};
        if (poll(&fds, 1, 20) > 0 && read(master, buffer, sizeof buffer) < 0) {
        }
        if (!sent && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(300)) {
            sent = write(master, "q", 1) == 1;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            break;
        }
    }
    std::string outcome;
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        outcome = "hung";
    } else {
        termios after{};
        tcgetattr(master, &after);
        std::string errors;
        lseek(error_fd, 0, SEEK_SET);
        for (ssize_t n; (n = read(error_fd, buffer, sizeof buffer)) > 0;)
            errors.append(buffer, static_cast<std::size_t>(n));
        if (WIFSIGNALED(status)) {
            outcome = std::string("killed by ") + strsignal(WTERMSIG(status));
        } else if (WEXITSTATUS(status) != 0) {
            outcome = "status " + std::to_string(WEXITSTATUS(status));
        } else if (!same_modes(before, after)) {
            outcome = "modes changed";
        } else if (errors.find("Debug mode activated") != std::string::npos) {
            outcome = "fell back";
        } else {
            outcome = "ran";
        }
    }
    close(error_fd);
    close(master);
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string program;
    unsigned jobs = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--program") {
            program = argv[i + 1];
        } else if (option == "--jobs") {
            jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[i + 1])));
        }
    }
    std::vector<std::string> names;
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty()) names.push_back(line);
    }

    // ncurses keeps one current description for the process: the in-process checks run
    // one after the other, the program runs side by side.
    Tally tally;
    std::vector<std::string> in_process(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        in_process[i] = check_in_process(names[i], tally);
        tally.count("in process: " + in_process[i]);
    }
    if (!program.empty()) {
        std::mutex next_lock;
        std::size_t next = 0;
        auto worker = [&] {
            for (;;) {
                std::size_t i = 0;
                {
                    const std::lock_guard guard(next_lock);
                    if (next == names.size()) return;
                    i = next++;
                }
                std::string outcome = run_program(program, names[i]);
                if (outcome == "fell back") outcome += " (" + in_process[i] + ")";
                if (outcome != "ran") {
                    const std::lock_guard guard(next_lock);
                    std::printf("%s: %s\n", names[i].c_str(), outcome.c_str());
                }
                tally.count("program: " + outcome);
            }
        };
        std::vector<std::thread> workers;
        workers.reserve(jobs);
        for (unsigned j = 0; j < jobs; ++j)
            workers.emplace_back(worker);
        for (std::thread& t : workers)
            t.join();
    }

    std::printf("\n%zu descriptions\n", names.size());
    for (const auto& [outcome, count] : tally.outcomes)
        std::printf("%6d  %s\n", count, outcome.c_str());
    std::printf("\ncapabilities by kind:\n");
    for (const auto& [kind, count] : tally.kinds)
        std::printf("%6d  %s\n", count, kind.c_str());
    std::printf("\n%d expansions compared with tiparm, %d differ\n", tally.compared,
                tally.mismatches);
    std::printf("longest numeric capability: %zu bytes at most (%s)\n", tally.longest,
                tally.longest_name.c_str());
    return tally.mismatches == 0 ? 0 : 1;
}
