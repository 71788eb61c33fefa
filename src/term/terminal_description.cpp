#include "term/terminal_description.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

#include "term/key_codes.h"
#include "term/termbox2.h"

// The terminfo library last: term.h defines a macro for every capability's long name.
#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>

namespace term_internal {

namespace {

// Parameters that no capability text contains as literal digits, to find where each
// parameter lands in an expansion.
constexpr int probe_first = 4711;
constexpr int probe_second = 8293;

// Values that an expansion is checked with before it is trusted: every number of digits
// a screen position has, and the borders between them.
constexpr int checked_values[] = {0, 1, 8, 9, 10, 98, 99, 100, 998, 999, 1000, 9998};

// tigetstr gives null for an absent capability and (char*)-1 for a name that is not a
// string capability.
bool is_absent(const char* text) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): terminfo's own marker value
    return text == nullptr || text == reinterpret_cast<const char*>(-1);
}

const char* string_capability(const char* name) {
    const char* text = tigetstr(const_cast<char*>(name));
    return is_absent(text) ? nullptr : text;
}

std::string plain_capability(const char* name) {
    return without_padding(string_capability(name));
}

// Calls emit(byte) for each byte of text outside its padding ($<5>, $<2*/>).
template <typename Emit>
void for_each_unpadded(const char* text, Emit emit) {
    if (text == nullptr) return;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '$' && p[1] == '<') {
            if (const char* end = std::strchr(p, '>'); end != nullptr) {
                p = end;
                continue;
            }
        }
        emit(*p);
    }
}

// tiparm's expansion, in tiparm's own buffer, with the padding still in.
const char* expand(const std::string& text, int p1, int p2) {
    return tiparm(text.c_str(), p1, p2);
}

std::size_t digits(int value) {
    std::size_t count = 1;
    for (; value >= 10; value /= 10)
        ++count;
    return count;
}

// Escape sequences that terminals send whatever their description says.
struct CommonKey {
    const char* bytes;
    std::uint16_t key;
};

constexpr CommonKey common_keys[] = {
    {"\x1b[A", code_arrow_up},    {"\x1b[B", code_arrow_down}, {"\x1b[C", code_arrow_right},
    {"\x1b[D", code_arrow_left},  {"\x1bOA", code_arrow_up},   {"\x1bOB", code_arrow_down},
    {"\x1bOC", code_arrow_right}, {"\x1bOD", code_arrow_left}, {"\x1b[H", code_home},
    {"\x1b[F", code_end},         {"\x1bOH", code_home},       {"\x1bOF", code_end},
    {"\x1b[1~", code_home},       {"\x1b[4~", code_end},       {"\x1b[2~", code_insert},
    {"\x1b[3~", code_delete},     {"\x1b[5~", code_page_up},   {"\x1b[6~", code_page_down},
    {"\x1b[Z", code_back_tab},    {"\x1bOP", code_f1},         {"\x1bOQ", code_f1 - 1},
    {"\x1bOR", code_f1 - 2},      {"\x1bOS", code_f1 - 3},
};

// Key capabilities in the order of their codes from code_f1 down.
constexpr const char* key_capabilities[] = {
    "kf1", "kf2",  "kf3",   "kf4",   "kf5",   "kf6",   "kf7",   "kf8",
    "kf9", "kf10", "kf11",  "kf12",  "kich1", "kdch1", "khome", "kend",
    "kpp", "knp",  "kcuu1", "kcud1", "kcub1", "kcuf1", "kcbt",
};

void add_key(std::vector<KeySequence>& keys, const char* bytes, std::uint16_t key) {
    // A one-byte key (Backspace as DEL or ^H) stays the control key it is.
    if (bytes == nullptr || std::strlen(bytes) < 2) return;
    for (const KeySequence& known : keys) {
        if (known.bytes == bytes) return;
    }
    keys.push_back({bytes, key});
}

void read_keys(std::vector<KeySequence>& keys) {
    for (std::size_t i = 0; i < std::size(key_capabilities); ++i) {
        add_key(keys, string_capability(key_capabilities[i]),
                static_cast<std::uint16_t>(code_f1 - i));
    }
    for (const CommonKey& common : common_keys)
        add_key(keys, common.bytes, common.key);
    // Longest first, so that the first complete match is the longest one.
    std::stable_sort(keys.begin(), keys.end(), [](const KeySequence& a, const KeySequence& b) {
        return a.bytes.size() > b.bytes.size();
    });
}

void read_description(TerminalDescription& out) {
    out.auto_margins = tigetflag(const_cast<char*>("am")) > 0;
    out.deferred_wrap = tigetflag(const_cast<char*>("xenl")) > 0;
    out.colours = std::max(tigetnum(const_cast<char*>("colors")), 0);
    out.width_hint = std::max(tigetnum(const_cast<char*>("cols")), 0);
    out.height_hint = std::max(tigetnum(const_cast<char*>("lines")), 0);
    out.enter_screen = plain_capability("smcup");
    out.exit_screen = plain_capability("rmcup");
    out.keypad_on = plain_capability("smkx");
    out.keypad_off = plain_capability("rmkx");
    out.hide_cursor = plain_capability("civis");
    out.show_cursor = plain_capability("cnorm");
    out.reset_style = plain_capability("sgr0");
    out.clear = plain_capability("clear");
    out.line_start = plain_capability("cr");
    out.down = plain_capability("cud1");
    out.left = plain_capability("cub1");
    out.home = plain_capability("home");
    out.margins_off = plain_capability("rmam");
    out.margins_on = plain_capability("smam");
    out.insert_one = plain_capability("ich1");
    out.insert_on = plain_capability("smir");
    out.insert_off = plain_capability("rmir");
    out.bold = plain_capability("bold");
    out.dim = plain_capability("dim");
    out.underline = plain_capability("smul");
    out.italic = plain_capability("sitm");
    out.blink = plain_capability("blink");
    out.reverse = plain_capability("rev");
    out.move = ParamCapability(string_capability("cup"));
    out.right = ParamCapability(string_capability("cuf"));
    out.left_by = ParamCapability(string_capability("cub"));
    out.down_by = ParamCapability(string_capability("cud"));
    out.column = ParamCapability(string_capability("hpa"));
    out.insert_some = ParamCapability(string_capability("ich"));
    read_keys(out.keys);
}

}  // namespace

std::string without_padding(const char* text) {
    std::string plain;
    for_each_unpadded(text, [&](char byte) { plain.push_back(byte); });
    return plain;
}

ParamCapability::ParamCapability(const char* text) {
    if (text == nullptr) return;
    present_ = true;
    text_ = text;
    // Split a probe expansion into literal text and the two parameters, each found as a
    // decimal number within a few units of its probe value (terminfo's %i adds one).
    const std::string probe = without_padding(expand(text_, probe_first, probe_second));
    std::string literal;
    for (std::size_t i = 0; i < probe.size();) {
        std::size_t end = i;
        while (end < probe.size() && probe[end] >= '0' && probe[end] <= '9')
            ++end;
        int value = -1;
        if (end > i) std::from_chars(probe.data() + i, probe.data() + end, value);
        int parameter = 0;
        int offset = 0;
        if (value >= probe_first - 2 && value <= probe_first + 2) {
            parameter = 1;
            offset = value - probe_first;
        } else if (value >= probe_second - 2 && value <= probe_second + 2) {
            parameter = 2;
            offset = value - probe_second;
        }
        if (parameter == 0) {
            literal.append(probe, i, std::max(end, i + 1) - i);
            i = std::max(end, i + 1);
            continue;
        }
        if (!literal.empty()) pieces_.push_back({literal, 0, 0});
        literal.clear();
        pieces_.push_back({"", parameter, offset});
        i = end;
    }
    if (!literal.empty()) pieces_.push_back({literal, 0, 0});

    for (const Piece& piece : pieces_) {
        literal_size_ += piece.text.size();
        if (piece.parameter == 1) {
            ++first_uses_;
            first_offset_ = piece.offset;
        } else if (piece.parameter == 2) {
            ++second_uses_;
            second_offset_ = piece.offset;
        }
    }
    // A parameter used twice with different offsets is measured piece by piece.
    for (const Piece& piece : pieces_) {
        if ((piece.parameter == 1 && piece.offset != first_offset_) ||
            (piece.parameter == 2 && piece.offset != second_offset_)) {
            first_uses_ = second_uses_ = -1;
        }
    }

    // Trusted only when it gives tiparm's bytes for every kind of number.
    compiled_ = true;
    char expansion[256];
    for (int p1 : checked_values) {
        for (int p2 : checked_values) {
            const std::string expected = without_padding(expand(text_, p1, p2));
            if (expected.size() > sizeof expansion || length(p1, p2) != expected.size() ||
                std::string(expansion, write(expansion, p1, p2)) != expected) {
                compiled_ = false;
                pieces_.clear();
                return;
            }
        }
    }
}

std::size_t ParamCapability::length(int p1, int p2) const {
    if (!present_) return 0;
    if (!compiled_) {
        std::size_t size = 0;
        for_each_unpadded(expand(text_, p1, p2), [&](char) { ++size; });
        return size;
    }
    if (first_uses_ >= 0) {
        return literal_size_ + static_cast<std::size_t>(first_uses_) * digits(p1 + first_offset_) +
               static_cast<std::size_t>(second_uses_) * digits(p2 + second_offset_);
    }
    std::size_t total = 0;
    for (const Piece& piece : pieces_) {
        if (piece.parameter == 0) {
            total += piece.text.size();
        } else {
            total += digits((piece.parameter == 1 ? p1 : p2) + piece.offset);
        }
    }
    return total;
}

char* ParamCapability::write(char* out, int p1, int p2) const {
    if (!present_) return out;
    if (!compiled_) {
        for_each_unpadded(expand(text_, p1, p2), [&](char byte) { *out++ = byte; });
        return out;
    }
    for (const Piece& piece : pieces_) {
        if (piece.parameter == 0) {
            out = std::copy(piece.text.begin(), piece.text.end(), out);
        } else {
            const int value = (piece.parameter == 1 ? p1 : p2) + piece.offset;
            out = std::to_chars(out, out + 16, value).ptr;
        }
    }
    return out;
}

std::size_t ParamCapability::longest(int limit) const {
    return length(limit, limit);
}

int describe_terminal(const char* term, TerminalDescription& out) {
    if (term == nullptr || *term == '\0') return TB_ERR_NO_TERM;
    int status = 0;
    // No terminal descriptor: setupterm then neither asks the kernel for a size nor
    // touches any terminal.
    if (setupterm(term, -1, &status) != OK) return TB_ERR_NO_TERM;
    int rc = TB_OK;
    try {
        if (string_capability("cup") == nullptr) {
            rc = TB_ERR_NO_TERM;
        } else {
            TerminalDescription read;
            read_description(read);
            out = std::move(read);
        }
    } catch (const std::bad_alloc&) {
        rc = TB_ERR_MEM;
    }
    del_curterm(cur_term);
    return rc;
}

}  // namespace term_internal
