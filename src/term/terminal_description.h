#pragma once

// What the layer knows of a terminal: the capability strings, flags and numbers of its
// terminfo description that the renderer, the input decoder and the start and end of a
// session use, read once at tb_init. Every capability is checked here: a parameterised one
// the layer cannot expand safely is absent, and so is a plain string longer than any
// expansion may be. Internal to src/term.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "term/capability.h"
#include "term/terminfo_reader.h"

namespace term_internal {

// A key's escape sequence and the key code it reports.
struct KeySequence {
    std::string bytes;
    std::uint16_t key;
};

struct TerminalDescription {
    bool auto_margins = false;   // am: writing in the last column moves to the next line
    bool deferred_wrap = false;  // xenl: ...but only when the next character comes
    int colours = 0;             // 0 when the terminal has none or no way to set them, 8 when its
                                 // colours 8 to 15 are not bright ones (bold then stands in)
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
    std::string clear_to_end;  // ed: clears from the cursor to the end of the screen
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

    // Parameterised capabilities: present() only where the layer can expand them.
    ParamCapability move;         // cup (row, column)
    ParamCapability right;        // cuf (n)
    ParamCapability left_by;      // cub (n)
    ParamCapability down_by;      // cud (n)
    ParamCapability column;       // hpa (column)
    ParamCapability insert_some;  // ich (n)

    // The colours, present whenever colours > 0: setaf and setab, or where the description
    // has only those, setf and setb, whose colour numbers count blue 1, green 2, red 4.
    ParamCapability foreground;
    ParamCapability background;
    bool blue_first = false;  // foreground and background are setf and setb

    // The description's key sequences and the common ones it does not bind, longest first
    // where one is a prefix of another.
    std::vector<KeySequence> keys;
};

// Makes the description of the terminfo entry `entry` in *out. TB_OK; TB_ERR_NO_TERM when
// the entry has no cursor addressing the layer can use; TB_ERR_MEM when memory runs out.
// *out is complete only on TB_OK.
int describe_terminal(const TerminfoEntry& entry, TerminalDescription& out);

// Reads the terminfo description `term` (read_terminfo) and describes it, without opening
// or changing any terminal. TB_OK; TB_ERR_NO_TERM when term names no description or one
// without usable cursor addressing; TB_ERR_MEM when memory runs out.
int describe_terminal(const char* term, TerminalDescription& out);

// The terminal's colour number for colour c (0 to 15 as ECMA-48 counts them: red 1,
// green 2, blue 4, bright from 8 on) in the description's own order.
int description_colour(const TerminalDescription& description, int c);

}  // namespace term_internal
