#include "term/terminal_description.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <utility>

#include "term/key_codes.h"
#include "term/termbox2.h"

namespace term_internal {

namespace {

// A plain capability string without its padding, or empty when the entry lacks it or it
// is longer than any capability may be.
std::string plain_capability(const TerminfoEntry& entry, const char* name) {
    const std::string* text = entry.find(name);
    if (text == nullptr) return {};
    std::string plain = without_padding(std::string_view(text->c_str()));
    if (plain.size() > capability_limit) plain.clear();
    return plain;
}

ParamCapability param_capability(const TerminfoEntry& entry, const char* name) {
    const std::string* text = entry.find(name);
    return text == nullptr ? ParamCapability() : ParamCapability(std::string_view(*text));
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

void add_key(std::vector<KeySequence>& keys, const std::string* text, std::uint16_t key) {
    if (text == nullptr) return;
    const std::string_view bytes(text->c_str());
    // A one-byte key (Backspace as DEL or ^H) stays the control key it is.
    if (bytes.size() < 2) return;
    for (const KeySequence& known : keys) {
        if (known.bytes == bytes) return;
    }
    keys.push_back({std::string(bytes), key});
}

void read_keys(const TerminfoEntry& entry, std::vector<KeySequence>& keys) {
    for (std::size_t i = 0; i < std::size(key_capabilities); ++i) {
        add_key(keys, entry.find(key_capabilities[i]), static_cast<std::uint16_t>(code_f1 - i));
    }
    for (const CommonKey& common : common_keys) {
        const std::string bytes = common.bytes;
        add_key(keys, &bytes, common.key);
    }
    // Longest first, so that the first complete match is the longest one.
    // Insertion sort keeps the order of equally long ones (and, unlike std::stable_sort,
    // needs no deprecated temporary buffer) for the few dozen keys there are.
    for (std::size_t i = 1; i < keys.size(); ++i) {
        for (std::size_t j = i; j > 0 && keys[j - 1].bytes.size() < keys[j].bytes.size(); --j)
            std::swap(keys[j - 1], keys[j]);
    }
}

// Whether foreground and background write ECMA-48's SGR codes for colours [from, to).
bool ecma_colours(const TerminalDescription& d, int from, int to) {
    for (int c = from; c < to; ++c) {
        char written[capability_limit];
        const int base = c < 8 ? 30 + c : 90 + c - 8;
        for (const auto& [capability, code] :
             {std::pair{&d.foreground, base}, std::pair{&d.background, base + 10}}) {
            const std::string expected = "\x1b[" + std::to_string(code) + "m";
            if (std::string_view(written, static_cast<std::size_t>(capability->write(written, c) -
                                                                   written)) != expected) {
                return false;
            }
        }
    }
    return true;
}

// Decides how colours are set: setaf and setab, else setf and setb; none when the entry
// has neither pair in a form the layer can expand.
void read_colours(const TerminfoEntry& entry, TerminalDescription& out) {
    out.colours = std::max(entry.colours, 0);
    ParamCapability foreground = param_capability(entry, "setaf");
    ParamCapability background = param_capability(entry, "setab");
    if (!foreground.present() || !background.present()) {
        foreground = param_capability(entry, "setf");
        background = param_capability(entry, "setb");
        out.blue_first = true;
    }
    if (out.colours == 0 || !foreground.present() || !background.present()) {
        out.colours = 0;
        out.blue_first = false;
        return;
    }
    out.foreground = std::move(foreground);
    out.background = std::move(background);
    // Where colours 0 to 7 are ECMA-48's but 8 to 15 are not its bright ones (in
    // direct-colour descriptions they are RGB values, 8 a near black), bold stands in for
    // bright, as on 8 colours.
    if (out.colours >= 16 && !out.blue_first && ecma_colours(out, 0, 8) &&
        !ecma_colours(out, 8, 16)) {
        out.colours = 8;
    }
}

void read_description(const TerminfoEntry& entry, TerminalDescription& out) {
    out.auto_margins = entry.auto_margins;
    out.deferred_wrap = entry.deferred_wrap;
    out.width_hint = std::max(entry.column_count, 0);
    out.height_hint = std::max(entry.line_count, 0);
    out.enter_screen = plain_capability(entry, "smcup");
    out.exit_screen = plain_capability(entry, "rmcup");
    out.keypad_on = plain_capability(entry, "smkx");
    out.keypad_off = plain_capability(entry, "rmkx");
    out.hide_cursor = plain_capability(entry, "civis");
    out.show_cursor = plain_capability(entry, "cnorm");
    out.reset_style = plain_capability(entry, "sgr0");
    out.clear = plain_capability(entry, "clear");
    out.clear_to_end = plain_capability(entry, "ed");
    out.line_start = plain_capability(entry, "cr");
    out.down = plain_capability(entry, "cud1");
    out.left = plain_capability(entry, "cub1");
    out.home = plain_capability(entry, "home");
    out.margins_off = plain_capability(entry, "rmam");
    out.margins_on = plain_capability(entry, "smam");
    out.insert_one = plain_capability(entry, "ich1");
    out.insert_on = plain_capability(entry, "smir");
    out.insert_off = plain_capability(entry, "rmir");
    out.bold = plain_capability(entry, "bold");
    out.dim = plain_capability(entry, "dim");
    out.underline = plain_capability(entry, "smul");
    out.italic = plain_capability(entry, "sitm");
    out.blink = plain_capability(entry, "blink");
    out.reverse = plain_capability(entry, "rev");
    out.move = param_capability(entry, "cup");
    out.right = param_capability(entry, "cuf");
    out.left_by = param_capability(entry, "cub");
    out.down_by = param_capability(entry, "cud");
    out.column = param_capability(entry, "hpa");
    out.insert_some = param_capability(entry, "ich");
    read_colours(entry, out);
    read_keys(entry, out.keys);
}

}  // namespace

int describe_terminal(const TerminfoEntry& entry, TerminalDescription& out) {
    try {
        TerminalDescription read;
        read_description(entry, read);
        if (!read.move.present()) return TB_ERR_NO_TERM;
        out = std::move(read);
    } catch (const std::bad_alloc&) {
        return TB_ERR_MEM;
    }
    return TB_OK;
}

int describe_terminal(const char* term, TerminalDescription& out) {
    TerminfoEntry entry;
    if (const int rc = read_terminfo(term, entry); rc != TB_OK) return rc;
    return describe_terminal(entry, out);
}

int description_colour(const TerminalDescription& description, int c) {
    if (!description.blue_first) return c;
    const int low = c & 7;
    return (c & 8) | ((low & 1) << 2) | (low & 2) | ((low & 4) >> 2);
}

}  // namespace term_internal
