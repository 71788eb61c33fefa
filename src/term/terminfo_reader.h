#pragma once

// The one reader of the terminfo database: a terminal's description as a plain table of
// the flags, numbers and strings the layer uses, so that everything else (and every test)
// works from tables that need no database. Internal to src/term.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace term_internal {

struct TerminfoEntry {
    bool auto_margins = false;   // am
    bool deferred_wrap = false;  // xenl
    int colours = -1;            // colors; -1 when absent
    int column_count = -1;       // cols
    int line_count = -1;         // lines

    // The string capabilities the entry has, by terminfo name, as the database holds them
    // (escapes decoded, padding still in); absent ones are not listed.
    std::vector<std::pair<std::string, std::string>> strings;

    // The text of the string capability `name`, or null when the entry lacks it.
    [[nodiscard]] const std::string* find(std::string_view name) const;
};

// The names of the string capabilities read_terminfo reads.
std::span<const char* const> terminfo_string_names();

// Reads the description `term` from the terminfo database (TERMINFO, ~/.terminfo and the
// system folders, as ncurses looks them up) into *out, without opening or changing any
// terminal. TB_OK; TB_ERR_NO_TERM when term is null, empty or names no description;
// TB_ERR_MEM when memory runs out. *out is complete only on TB_OK.
int read_terminfo(const char* term, TerminfoEntry& out);

// ncurses' own expansion of parameterised capabilities, to check the layer's interpreter
// against: the tests and the sweep of installed descriptions use it, the layer never
// does. Holds one description loaded with setupterm, so that each instance starts with
// fresh static variables.
class ReferenceTerminal {
  public:
    // Loads `term`; ok() tells whether that worked.
    explicit ReferenceTerminal(const char* term);
    ~ReferenceTerminal();
    ReferenceTerminal(const ReferenceTerminal&) = delete;
    ReferenceTerminal& operator=(const ReferenceTerminal&) = delete;

    [[nodiscard]] bool ok() const { return terminal_ != nullptr; }

    // tiparm(text, p1, p2) for this description, padding left in, or nothing when tiparm
    // fails. Only for text that the layer's parser accepts: tiparm then reads integers
    // alone.
    [[nodiscard]] std::optional<std::string> expand(const std::string& text, int p1, int p2);

  private:
    void* terminal_ = nullptr;
};

}  // namespace term_internal
