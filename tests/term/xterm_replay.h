#pragma once

// xterm.js (@xterm/headless, the emulator of VS Code), a second independent terminal
// emulator: a session's bytes, resizes and snapshot points are recorded, then replayed into
// it by tests/term/xterm_screen.cjs under node, which gives back the screen at each
// snapshot. Available where node and the module are installed (.ci/run installs the module
// with `npm install --prefix .cache/xterm @xterm/headless`).

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "term/emulator.h"

namespace gorv::testing {

class XtermReplay {
  public:
    using Screen = std::vector<std::vector<Look>>;  // rows of cells

    // Whether node and the module are there.
    static bool available() {
        struct stat found{};
        return stat(GORV_XTERM_MODULES "/@xterm/headless/package.json", &found) == 0 &&
               std::system("node --version >/dev/null 2>&1") == 0;
    }

    explicit XtermReplay(int w, int h) { record_ << "T " << w << ' ' << h << '\n'; }

    void resize(int w, int h) { record_ << "R " << w << ' ' << h << '\n'; }

    void feed(const std::string& bytes) {
        if (!bytes.empty()) record_ << "B " << base64(bytes) << '\n';
    }

    void snapshot() { record_ << "S\n"; }

    // The screens at the snapshots, in order; empty when node failed.
    std::vector<Screen> replay() const {
        char record_name[] = "/tmp/gorv-xterm-record-XXXXXX";
        const int fd = mkstemp(record_name);
        if (fd < 0) return {};
        const std::string record = record_.str();
        const bool written =
            write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
        close(fd);
        std::vector<Screen> screens;
        const std::string command = "NODE_PATH=" GORV_XTERM_MODULES " node " GORV_XTERM_SCRIPT
                                    " <" +
                                    std::string(record_name);
        std::FILE* output = written ? popen(command.c_str(), "r") : nullptr;
        if (output != nullptr) {
            std::string text;
            char chunk[65536];
            for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, output)) > 0;)
                text.append(chunk, n);
            if (pclose(output) == 0) screens = parse(text);
        }
        unlink(record_name);
        return screens;
    }

  private:
    static std::string base64(const std::string& bytes) {
        static constexpr char digits[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string text;
        auto byte = [&](std::size_t k) -> unsigned {
            return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u;
        };
        std::size_t i = 0;
        for (; i + 2 < bytes.size(); i += 3) {
            const unsigned v = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
            text +=
                {digits[v >> 18], digits[(v >> 12) & 63], digits[(v >> 6) & 63], digits[v & 63]};
        }
        if (i < bytes.size()) {
            const unsigned v = byte(i) << 16 | byte(i + 1) << 8;
            text += {digits[v >> 18], digits[(v >> 12) & 63],
                     i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=', '='};
        }
        return text;
    }

    static std::vector<Screen> parse(const std::string& text) {
        std::vector<Screen> screens(1);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line == ".") {
                screens.emplace_back();
                continue;
            }
            std::vector<Look>& row = screens.back().emplace_back();
            std::istringstream cells(line);
            for (std::string cell; cells >> cell;) {
                unsigned long code = 0;
                long fg = 0;
                long bg = 0;
                unsigned flags = 0;
                if (std::sscanf(cell.c_str(), "%lu,%ld,%ld,%u", &code, &fg, &bg, &flags) != 4)
                    return {};
                Look look;
                look.ch = static_cast<std::uint32_t>(code);
                look.fg = static_cast<int>(fg);
                look.bg = static_cast<int>(bg);
                look.bold = (flags & 1) != 0;
                look.dim = (flags & 2) != 0;
                look.underline = (flags & 4) != 0;
                look.italic = (flags & 8) != 0;
                look.blink = (flags & 16) != 0;
                look.reverse = (flags & 32) != 0;
                row.push_back(look);
            }
        }
        screens.pop_back();
        return screens;
    }

    std::ostringstream record_;
};

}  // namespace gorv::testing
