#pragma once

// What the layer knows of a terminal: the capability strings, flags and numbers of its
// terminfo description that the renderer, the input decoder and the start and end of a
// session use, read once at tb_init. Internal to src/term.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace term_internal {

// A capability with up to two numeric parameters (a cursor address, a move by n cells).
// When its text expands to literal bytes and the parameters in decimal, which is the case
// for every ANSI-like terminal, it is kept as those pieces and expanded without tiparm, so
// that a cursor move costs a few stores; otherwise every expansion calls tiparm and copies
// from tiparm's own buffer. Neither allocates.
class ParamCapability {
  public:
    ParamCapability() = default;

    // The capability `text` as terminfo gives it, or an empty one when text is null.
    // Allocates; fails only by throwing std::bad_alloc.
    explicit ParamCapability(const char* text);

    [[nodiscard]] bool present() const { return present_; }

    // The number of bytes that write(p1, p2) produces.
    [[nodiscard]] std::size_t length(int p1, int p2 = 0) const;

    // Writes the capability with the parameters p1 and p2 at out (room for length(p1, p2)
    // bytes) and returns the end of what it wrote.
    char* write(char* out, int p1, int p2 = 0) const;

    // The longest expansion for parameters from 0 to `limit`.
    [[nodiscard]] std::size_t longest(int limit) const;

  private:
    struct Piece {
        std::string text;  // literal bytes; empty for a parameter
        int parameter;     // 0 for literal text, 1 or 2 for that parameter in decimal
        int offset;        // added to the parameter (terminfo's %i adds 1)
    };

    bool present_ = false;
    bool compiled_ = false;
    std::string text_;  // the terminfo text, expanded through tiparm when not compiled
    std::vector<Piece> pieces_;
    std::size_t literal_size_ = 0;  // the literal bytes of all pieces
    int first_uses_ = 0;            // how often each parameter appears, and with which offset
    int first_offset_ = 0;
    int second_uses_ = 0;
    int second_offset_ = 0;
};

// A key's escape sequence and the key code it reports.
struct KeySequence {
    std::string bytes;
    std::uint16_t key;
};

struct TerminalDescription {
    bool auto_margins = false;   // am: writing in the last column moves to the next line
    bool deferred_wrap = false;  // xenl: ...but only when the next character comes
    int colours = 0;             // 0 when the terminal has none
    int width_hint = 0;          // cols and lines, for when the kernel knows no size
    int height_hint = 0;

    // Plain capability strings, without padding; empty when the terminal lacks them.
    std::string enter_screen;  // smcup: the alternate screen
    std::string exit_screen;   // rmcup
    std::string keypad_on;     // smkx
    std::string keypad_off;    // rmkx
    std::string hide_cursor;   // civis
    std::string show_cursor;   // cnorm
    std::string reset_style;   // sgr0
    std::string clear;         // clear: clears the screen and homes the cursor
    std::string line_start;
    std::string down;         // cud1
    std::string left;         // cub1
    std::string home;         // home
    std::string margins_off;  // rmam
    std::string margins_on;   // smam
    std::string insert_one;   // ich1
    std::string insert_on;    // smir
    std::string insert_off;   // rmir
    std::string bold, dim, underline, italic, blink, reverse;

    ParamCapability move;         // cup (row, column)
    ParamCapability right;        // cuf (n)
    ParamCapability left_by;      // cub (n)
    ParamCapability down_by;      // cud (n)
    ParamCapability column;       // hpa (column)
    ParamCapability insert_some;  // ich (n)

    // The description's key sequences and the common ones it does not bind, longest first
    // where one is a prefix of another.
    std::vector<KeySequence> keys;
};

// Reads the terminfo description `term` into *out (without opening or changing any
// terminal). TB_OK; TB_ERR_NO_TERM when term names no description or one without cursor
// addressing; TB_ERR_MEM when memory runs out. *out is complete only on TB_OK.
int describe_terminal(const char* term, TerminalDescription& out);

// The text of a capability string with its padding ($<5>, $<2*/>) taken out.
std::string without_padding(const char* text);

}  // namespace term_internal
