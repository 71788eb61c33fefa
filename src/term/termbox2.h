#pragma once

// The part of the termbox2 interface that gorv calls, with termbox2's names and
// behaviour, implemented as termbox2 is: a cell renderer of its own over the terminal's
// terminfo description, which is the only thing read through ncurses' terminfo library.
// Nothing outside src/term includes a terminal library. None of these functions is safe to
// call from two threads at once.
//
// What the layer does beyond termbox2, which the real library would have to be given (or
// the program do without) if it took the layer's place:
// - tb_present never blocks on a terminal that takes nothing: it skips frames while the
//   terminal has not taken an earlier one, and sends the difference gathered once it has;
// - tb_present waits for a terminal that keeps up, at most 100 ms in all, so that a frame
//   larger than the kernel holds at once goes out whole before it returns;
// - each frame is one synchronized update (DEC private mode 2026) on terminals whose
//   control sequences are ECMA-48, and a frame cut short by a resize or the end of the
//   session is ended with CAN and the end of its update before anything else is written;
// - the terminal is given back, with async-signal-safe calls only, when a signal whose
//   default action ends the process arrives while it is taken over;
// - the resize descriptor of tb_get_fds also becomes readable while input already read
//   waits for tb_peek_event, so that polling the two descriptors never misses a key.

#include <cstdint>

using uintattr_t = std::uint16_t;

struct tb_event {
    std::uint8_t type;  // TB_EVENT_*
    std::uint8_t mod;   // modifier bits of a key event
    std::uint16_t key;  // a control key or escape sequence, when ch is 0
    std::uint32_t ch;   // a character
    std::int32_t w;     // new width, on a resize event
    std::int32_t h;     // new height, on a resize event
    std::int32_t x;
    std::int32_t y;
};

inline constexpr std::uint8_t TB_EVENT_KEY = 1;
inline constexpr std::uint8_t TB_EVENT_RESIZE = 2;
inline constexpr std::uint8_t TB_EVENT_MOUSE = 3;

inline constexpr uintattr_t TB_DEFAULT = 0x0000;
inline constexpr uintattr_t TB_BLACK = 0x0001;
inline constexpr uintattr_t TB_RED = 0x0002;
inline constexpr uintattr_t TB_GREEN = 0x0003;
inline constexpr uintattr_t TB_YELLOW = 0x0004;
inline constexpr uintattr_t TB_BLUE = 0x0005;
inline constexpr uintattr_t TB_MAGENTA = 0x0006;
inline constexpr uintattr_t TB_CYAN = 0x0007;
inline constexpr uintattr_t TB_WHITE = 0x0008;

inline constexpr uintattr_t TB_BOLD = 0x0100;
inline constexpr uintattr_t TB_UNDERLINE = 0x0200;
inline constexpr uintattr_t TB_REVERSE = 0x0400;
inline constexpr uintattr_t TB_ITALIC = 0x0800;
inline constexpr uintattr_t TB_BLINK = 0x1000;
inline constexpr uintattr_t TB_HI_BLACK = 0x2000;
inline constexpr uintattr_t TB_BRIGHT = 0x4000;
inline constexpr uintattr_t TB_DIM = 0x8000;

inline constexpr int TB_OK = 0;
inline constexpr int TB_ERR = -1;
inline constexpr int TB_ERR_NEED_MORE = -2;
inline constexpr int TB_ERR_INIT_ALREADY = -3;
inline constexpr int TB_ERR_INIT_OPEN = -4;
inline constexpr int TB_ERR_MEM = -5;
inline constexpr int TB_ERR_NO_EVENT = -6;
inline constexpr int TB_ERR_NO_TERM = -7;
inline constexpr int TB_ERR_NOT_INIT = -8;
inline constexpr int TB_ERR_OUT_OF_BOUNDS = -9;
inline constexpr int TB_ERR_READ = -10;
inline constexpr int TB_ERR_POLL = -14;
// From tb_init: the process is not in the terminal's foreground process group, so the
// terminal's modes cannot be set without SIGTTOU; nothing was changed.
inline constexpr int TB_ERR_TCSETATTR = -16;

// Opens /dev/tty and takes it over: raw input (no echo, no line buffering, no signals or
// flow control from keys), the alternate screen, keypad mode, the cursor hidden, the screen
// cleared. All or nothing: fails with a negative code, changing nothing, when there is no
// controlling terminal (TB_ERR_INIT_OPEN), the process is not in the terminal's foreground
// process group (TB_ERR_TCSETATTR, before anything is written or set, so no SIGTTOU is
// raised), TERM is missing or names no description with cursor addressing (TB_ERR_NO_TERM),
// or memory runs out (TB_ERR_MEM); TB_ERR_INIT_ALREADY when already initialised. Characters
// go out as UTF-8 whatever the locale. Never prints and never exits. Installs a handler for
// SIGWINCH and, for every signal whose default action ends the process and that still has
// that default disposition, one that gives the terminal back (with async-signal-safe calls
// only) and then lets the default action happen, so that the exit status still names the
// signal.
int tb_init();

// Gives the terminal back as it was found: cursor shown, attributes reset, screen cleared
// (on a terminal without an alternate screen the cleared screen is what remains), alternate
// screen and keypad mode left, terminal modes restored with every byte typed during the
// run but never read discarded, signal handling restored. Never waits for a terminal that
// takes no output: the end bytes are queued, and take effect when it drains.
// TB_ERR_NOT_INIT when not initialised.
int tb_shutdown();

// The size in cells as of tb_init or the last resize event; TB_ERR_NOT_INIT when not
// initialised.
int tb_width();
int tb_height();

// Fills the back buffer with blank cells in the default colours.
int tb_clear();

// Sets one cell of the back buffer; TB_ERR_OUT_OF_BOUNDS outside it, drawing nothing.
// On a terminal, a character that does not fill exactly one column (a control, combining
// or wide character) shows as U+FFFD, and 0 as a blank.
int tb_set_cell(int x, int y, std::uint32_t ch, uintattr_t fg, uintattr_t bg);

// Brings the terminal up to date with the back buffer, writing only the cells that changed
// since the last present, as one frame: every cell, the bottom right one included, without
// ever scrolling the screen, as one synchronized update where the terminal takes ECMA-48
// sequences. Nothing is written when nothing changed. The frame is out before this
// returns while the terminal keeps up (waiting for it at most 100 ms); while the terminal
// has not taken an earlier frame, this one is skipped and a later present sends the
// difference gathered, so a slow terminal shows fewer frames and one that takes nothing
// is never waited for. TB_ERR when the terminal cannot be written; TB_ERR_MEM when the
// frame's bytes outgrow memory (the cells left out are drawn by a later present).
int tb_present();

// Zeroes *ev, then waits up to timeout_ms (0: no wait; negative: no limit) for input or
// a resize. TB_OK with a resize event (the buffers have taken the new size w x h, and the
// next tb_present redraws every cell) or a key event: ch holds a character, or key a
// control character (0x00 to 0x1F, 0x7F; a lone Escape is 0x1B), a byte that is not valid
// UTF-8 (0x80 to 0xFF), or for an escape sequence such as an arrow key a code from 0xFF00
// up. Every byte read is part of exactly one key event. When the bytes read so far begin
// an escape sequence or a UTF-8 character, up to 50 ms more (whatever timeout_ms says) let
// the rest arrive; after that they count as they stand, a lone Escape as the Escape key.
// TB_ERR_NO_EVENT (type 0) when nothing came in time; TB_ERR_POLL or TB_ERR_READ when the
// terminal cannot be read (TB_ERR_READ when it hung up).
int tb_peek_event(tb_event* ev, int timeout_ms);

// The descriptors tb_peek_event waits on, valid until tb_shutdown: terminal input, and
// one that becomes readable on a resize and whenever input already read waits for
// tb_peek_event (both -1 on the in-memory screen). A caller may poll them without holding
// its terminal lock, then fetch the event with a timeout of 0.
int tb_get_fds(int* ttyfd, int* resizefd);

// Decodes the first UTF-8 character of a zero-terminated string into *out; returns its
// length (1 to 6), 0 for an empty string, or minus the bytes read when a zero byte ends
// the character early (then *out is unchanged).
int tb_utf8_char_to_unicode(std::uint32_t* out, const char* c);
