#include "term/terminfo_reader.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "term/termbox2.h"

// The terminfo library last: term.h defines a macro for every capability's long name.
#define NCURSES_NOMACROS
#include <curses.h>
#include <term.h>

namespace term_internal {

namespace {

constexpr const char* string_names[] = {
    // The session's start and end, the cursor and the styles.
    "smcup", "rmcup", "smkx", "rmkx", "civis", "cnorm", "sgr0", "clear", "ed", "cr", "cud1", "cub1",
    "home", "rmam", "smam", "ich1", "smir", "rmir", "bold", "dim", "smul", "sitm", "blink", "rev",
    "op",
    // Parameterised: moves, insertion, colours.
    "cup", "cuf", "cub", "cud", "hpa", "ich", "setaf", "setab", "setf", "setb",
    // Keys.
    "kf1", "kf2", "kf3", "kf4", "kf5", "kf6", "kf7", "kf8", "kf9", "kf10", "kf11", "kf12", "kich1",
    "kdch1", "khome", "kend", "kpp", "knp", "kcuu1", "kcud1", "kcub1", "kcuf1", "kcbt"};

// tigetstr gives null for an absent capability and (char*)-1 for a name that is not a
// string capability.
bool is_absent(const char* text) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): terminfo's own marker value
    return text == nullptr || text == reinterpret_cast<const char*>(-1);
}

void read_loaded(TerminfoEntry& out) {
    out.auto_margins = tigetflag(const_cast<char*>("am")) > 0;
    out.deferred_wrap = tigetflag(const_cast<char*>("xenl")) > 0;
    // tigetnum gives -1 for an absent number and -2 for a name that is not one.
    out.colours = std::max(tigetnum(const_cast<char*>("colors")), -1);
    out.column_count = std::max(tigetnum(const_cast<char*>("cols")), -1);
    out.line_count = std::max(tigetnum(const_cast<char*>("lines")), -1);
    for (const char* name : string_names) {
        const char* text = tigetstr(const_cast<char*>(name));
        if (!is_absent(text)) out.strings.emplace_back(name, text);
    }
}

}  // namespace

const std::string* TerminfoEntry::find(std::string_view name) const {
    const auto found = std::find_if(strings.begin(), strings.end(),
                                    [&](const auto& entry) { return entry.first == name; });
    return found == strings.end() ? nullptr : &found->second;
}

std::span<const char* const> terminfo_string_names() {
    return string_names;
}

int read_terminfo(const char* term, TerminfoEntry& out) {
    if (term == nullptr || *term == '\0') return TB_ERR_NO_TERM;
    int status = 0;
    // No terminal descriptor: setupterm then neither asks the kernel for a size nor
    // touches any terminal.
    TERMINAL* const before = cur_term;
    if (setupterm(term, -1, &status) != OK) {
        // A description refused as hardcopy or generic is loaded all the same.
        if (cur_term != before) del_curterm(cur_term);
        return TB_ERR_NO_TERM;
    }
    int rc = TB_OK;
    try {
        TerminfoEntry read;
        read_loaded(read);
        out = std::move(read);
    } catch (const std::bad_alloc&) {
        rc = TB_ERR_MEM;
    }
    del_curterm(cur_term);
    return rc;
}

ReferenceTerminal::ReferenceTerminal(const char* term) {
    int status = 0;
    if (term == nullptr) return;
    TERMINAL* const before = cur_term;
    const int rc = setupterm(term, -1, &status);
    if (rc != OK) {
        if (cur_term != before) del_curterm(cur_term);
        return;
    }
    terminal_ = set_curterm(before);
}

ReferenceTerminal::~ReferenceTerminal() {
    if (terminal_ != nullptr) del_curterm(static_cast<TERMINAL*>(terminal_));
}

std::optional<std::string> ReferenceTerminal::expand(const std::string& text, int p1, int p2) {
    if (terminal_ == nullptr) return std::nullopt;
    TERMINAL* const previous = set_curterm(static_cast<TERMINAL*>(terminal_));
    const char* expansion = tiparm(text.c_str(), p1, p2, 0, 0, 0, 0, 0, 0, 0);
    std::optional<std::string> result;
    if (expansion != nullptr) result = expansion;
    set_curterm(previous);
    return result;
}

}  // namespace term_internal
