#include "description_input.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "term/capability.h"
#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/screen_clear.h"
#include "term/termbox2.h"
#include "term/terminal_description.h"
#include "term/terminfo_reader.h"

// Where a sanitizer writes its reports; present only in sanitizer builds.
extern "C" void __sanitizer_set_report_path(const char* path) __attribute__((weak));

namespace gorv {

namespace {

constexpr const char* entry_name = "fuzzed";

void check(bool holds, const char* rule) {
    if (holds) return;
    std::fprintf(stderr, "description fuzzing: %s\n", rule);
    std::abort();
}

// The private database, made once and removed when the process exits.
const char* database() {
    static char folder[] = "/tmp/gorv-fuzz-terminfo-XXXXXX";
    static const bool made = [] {
        check(mkdtemp(folder) != nullptr, "no private TERMINFO folder");
        check(mkdir((std::string(folder) + "/f").c_str(), 0700) == 0, "no folder for the entry");
        setenv("TERMINFO", folder, 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return true;
    }();
    (void)made;
    return folder;
}

// A description every text can be checked against: made before TERMINFO points elsewhere.
term_internal::ReferenceTerminal& reference() {
    static term_internal::ReferenceTerminal terminal("xterm-256color");
    return terminal;
}

std::uint32_t next(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// One capability text: its expansions stay within their bound and, where ncurses can be
// asked without trapping or keeping state between calls, agree with tiparm.
void check_capability(std::string_view text) {
    const term_internal::ParamCapability capability(text);
    if (capability.kind() == term_internal::ParamCapability::Kind::absent ||
        capability.kind() == term_internal::ParamCapability::Kind::refused) {
        return;
    }
    check(capability.max_length() <= term_internal::capability_limit, "bound beyond the limit");
    const std::string cut(text.substr(0, std::min(text.find('\0'), text.size())));
    // ncurses keeps static variables between calls, and its division traps on INT_MIN / -1.
    const bool comparable =
        cut.find("%/") == std::string::npos && cut.find("%m") == std::string::npos &&
        cut.find("%P") == std::string::npos && cut.find("%g") == std::string::npos;
    const int values[] = {0, 1, 9, 10, 99, 255, 256, 1000};
    for (const int p1 : values) {
        for (const int p2 : {0, 7, 100}) {
            char out[term_internal::capability_limit];
            const std::string written(out, capability.write(out, p1, p2));
            check(written.size() <= capability.max_length(), "expansion beyond its bound");
            check(capability.length(p1, p2) == written.size(), "length differs from write");
            if (!comparable || !reference().ok()) continue;
            const auto expected = reference().expand(cut, p1, p2);
            check(expected && term_internal::without_padding(*expected) == written,
                  "expansion differs from tiparm");
        }
    }
}

void encode_frames(const term_internal::TerminalDescription& description, int w, int h,
                   std::uint32_t seed) {
    const term_internal::FrameEncoder encoder(description);
    term_internal::CellBuffers buffers;
    check(term_internal::resize_cell_buffers(buffers, w, h) == TB_OK, "no cell buffers");
    term_internal::forget_front(buffers);
    term_internal::ScreenModel model;
    term_internal::OutputBuffer out;
    out.capacity = static_cast<std::size_t>(w * h + 1) * encoder.cell_bytes_bound(w, h);
    out.data = std::make_unique<char[]>(out.capacity);
    const std::uint32_t glyphs[] = {'0', '1', ' ', 0xFF8A, 0x250C, 0};
    std::uint32_t state = seed | 1u;
    for (int frame = 0; frame < 3; ++frame) {
        for (term_internal::Cell& cell : buffers.back) {
            const std::uint32_t r = next(state);
            if (r % 4 == 0) continue;
            cell.ch = glyphs[(r >> 2) % std::size(glyphs)];
            cell.fg = static_cast<uintattr_t>((r >> 5) & 0xFF0F);
            cell.bg = static_cast<uintattr_t>((r >> 21) & 0x040F);
        }
        out.size = 0;
        check(encoder.encode(buffers, model, out) == TB_OK, "a frame does not fit its buffer");
        check(out.size <= out.capacity, "a frame beyond its buffer");
    }
    (void)term_internal::blank_screen(encoder, description, w, h);
}

// Writes `bytes` whole to fd; false when that fails.
bool write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The entry as the layer's reader gives it, read in a child process: ncurses' own reader
// has faults on some corrupt entries (reads past its buffers, and a TERMINAL that
// del_curterm frees twice) that are not the layer's to mend, and they end the child only.
// False when the reader refused the entry or the child did not end well.
bool read_in_child(term_internal::TerminfoEntry& out) {
    int fds[2];
    check(pipe(fds) == 0, "no pipe");
    const pid_t pid = fork();
    check(pid >= 0, "no child");
    if (pid == 0) {
        close(fds[0]);
        // A fault of ncurses' reader is reported into the private folder, out of the way.
        if (__sanitizer_set_report_path != nullptr)
            __sanitizer_set_report_path((std::string(database()) + "/reader-fault").c_str());
        term_internal::TerminfoEntry entry;
        if (term_internal::read_terminfo(entry_name, entry) != TB_OK) _exit(2);
        std::string table;
        for (const int number : {entry.auto_margins ? 1 : 0, entry.deferred_wrap ? 1 : 0,
                                 entry.colours, entry.column_count, entry.line_count}) {
            table += std::to_string(number);
            table.push_back('\0');
        }
        for (const auto& [name, text] : entry.strings) {
            table += name;
            table.push_back('\0');
            table += std::string_view(text.c_str());
            table.push_back('\0');
        }
        _exit(write_all(fds[1], table) ? 0 : 3);
    }
    close(fds[1]);
    std::string table;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        table.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    check(waitpid(pid, &status, 0) == pid, "the child was lost");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    std::vector<std::string> fields;
    for (std::size_t start = 0; start < table.size();) {
        const std::size_t end = table.find('\0', start);
        check(end != std::string::npos, "a torn table");
        fields.emplace_back(table, start, end - start);
        start = end + 1;
    }
    check(fields.size() >= 5 && (fields.size() - 5) % 2 == 0, "a torn table");
    out.auto_margins = fields[0] == "1";
    out.deferred_wrap = fields[1] == "1";
    out.colours = std::stoi(fields[2]);
    out.column_count = std::stoi(fields[3]);
    out.line_count = std::stoi(fields[4]);
    for (std::size_t i = 5; i < fields.size(); i += 2)
        out.strings.emplace_back(fields[i], fields[i + 1]);
    return true;
}

}  // namespace

void run_description_input(const std::uint8_t* data, std::size_t size) {
    (void)reference();
    check_capability(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size < 3) return;
    const int w = data[0] % 16 + 1;
    const int h = data[1] % 8 + 1;
    const std::uint32_t seed = data[2];
    const std::string path = std::string(database()) + "/f/" + entry_name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        const std::size_t written = std::fwrite(data + 3, 1, size - 3, file);
        std::fclose(file);
        check(written == size - 3, "the entry was not written");
    } else {
        check(false, "the entry cannot be written");
    }
    term_internal::TerminfoEntry entry;
    if (!read_in_child(entry)) return;
    for (const auto& [name, text] : entry.strings)
        check_capability(text);
    term_internal::TerminalDescription description;
    if (term_internal::describe_terminal(entry, description) != TB_OK) return;
    encode_frames(description, w, h, seed);
}

}  // namespace gorv
