#include "description_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
// NOLINTNEXTLINE(bugprone-reserved-identifier): the sanitizers' own interface
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
    // Empty at first: the encoder grows it as the frames need, checking room before each
    // cell, so a bound that falls short is a write beyond the buffer the sanitizer sees.
    term_internal::OutputBuffer out;
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
        check(encoder.encode(buffers, model, out) == TB_OK, "a frame was not encoded");
        check(out.size <= out.capacity, "a frame beyond its buffer");
    }
    (void)term_internal::blank_screen(encoder, description, w, h);
}

// Writes size bytes whole to fd; false when that fails.
bool write_all(int fd, const void* bytes, std::size_t size) {
    const auto* p = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = write(fd, p + done, size - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads size bytes whole from fd; false at the end of the stream or on an error.
bool read_all(int fd, void* bytes, std::size_t size) {
    auto* p = static_cast<char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = read(fd, p + done, size - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The entry as a flat table: the flags and numbers, then name and text of each string, each
// field ended by a zero byte.
std::string flatten(const term_internal::TerminfoEntry& entry) {
    std::string table;
    for (const int number : {entry.auto_margins ? 1 : 0, entry.deferred_wrap ? 1 : 0, entry.colours,
                             entry.column_count, entry.line_count}) {
        table += std::to_string(number);
        table.push_back('\0');
    }
    for (const auto& [name, text] : entry.strings) {
        table += name;
        table.push_back('\0');
        table += std::string_view(text.c_str());
        table.push_back('\0');
    }
    return table;
}

void unflatten(const std::string& table, term_internal::TerminfoEntry& out) {
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
}

// A child process that reads the entry whenever the parent asks (one byte), and answers
// with its size and table (size 0: refused). ncurses' own reader has faults on some corrupt
// entries (reads past its buffers, a TERMINAL that del_curterm frees twice) that are not
// the layer's to mend: they end the child only, and the next input starts another.
struct Reader {
    pid_t pid = -1;
    int ask = -1;
    int answer = -1;
};

[[noreturn]] void serve(int ask, int answer) {
    // A fault of ncurses' reader is reported into the private folder, out of the way.
    if (__sanitizer_set_report_path != nullptr)
        __sanitizer_set_report_path((std::string(database()) + "/reader-fault").c_str());
    for (char request = 0; read_all(ask, &request, 1);) {
        term_internal::TerminfoEntry entry;
        std::string table;
        if (term_internal::read_terminfo(entry_name, entry) == TB_OK) table = flatten(entry);
        const auto size = static_cast<std::uint32_t>(table.size());
        if (!write_all(answer, &size, sizeof size) || !write_all(answer, table.data(), size)) break;
    }
    _exit(0);
}

void stop(Reader& reader) {
    close(reader.ask);
    close(reader.answer);
    int status = 0;
    (void)waitpid(reader.pid, &status, 0);
    reader = Reader{};
}

// The entry as the layer's reader gives it, read in the child; false when the reader
// refused it or the child ended on it.
bool read_in_child(term_internal::TerminfoEntry& out) {
    static Reader reader;
    if (reader.pid < 0) {
        // A child that ended is seen as a closed pipe, not as a signal.
        signal(SIGPIPE, SIG_IGN);
        int asks[2];
        int answers[2];
        check(pipe2(asks, O_CLOEXEC) == 0 && pipe2(answers, O_CLOEXEC) == 0, "no pipes");
        reader.pid = fork();
        check(reader.pid >= 0, "no child");
        if (reader.pid == 0) {
            close(asks[1]);
            close(answers[0]);
            serve(asks[0], answers[1]);
        }
        close(asks[0]);
        close(answers[1]);
        reader.ask = asks[1];
        reader.answer = answers[0];
    }
    const char request = 1;
    std::uint32_t size = 0;
    if (!write_all(reader.ask, &request, 1) || !read_all(reader.answer, &size, sizeof size)) {
        stop(reader);
        return false;
    }
    std::string table(size, '\0');
    if (!read_all(reader.answer, table.data(), size)) {
        stop(reader);
        return false;
    }
    if (size == 0) return false;
    unflatten(table, out);
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
