#pragma once

// The terminal backing of the layer: the controlling terminal taken over, its description,
// the renderer's state and the input bytes. Internal to src/term: the functions of
// termbox2.h call these once they have checked the layer's state.

#include <termios.h>

#include <atomic>
#include <csignal>
#include <string>

#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/input_decoder.h"
#include "term/termbox2.h"
#include "term/terminal_description.h"
#include "term/tty_output.h"

namespace term_internal {

struct Tty {
    int fd = -1;            // /dev/tty, read and written
    termios saved_modes{};  // the modes as found
    bool modes_changed = false;
    bool screen_taken = false;         // the start bytes were (or were being) written
    int wake_read = -1;                // a pipe that wakes a poll: on a resize, or while decoded
    int wake_write = -1;               //   input waits in `input`
    std::atomic<int> signal_wake{-1};  // wake_write, for the SIGWINCH handler
    // Handlers (resize and fatal) that may still use signal_wake or signal_fd: the
    // descriptors are closed only once none is inside.
    std::atomic<int> handlers_inside{0};
    std::atomic<bool> resized{false};
    std::atomic<bool> woken{false};  // a byte may wait in the wake pipe
    struct sigaction saved_winch{};
    bool winch_installed = false;

    TerminalDescription description;
    FrameEncoder encoder;
    ScreenModel model;
    TtyOutput output;  // everything written to fd, and the end bytes
    InputDecoder input;

    // While a handler may give the terminal back: fd. The handler then sends the output's
    // end bytes, prepared at tb_init, and restores saved_modes.
    std::atomic<int> signal_fd{-1};
    // /dev/null, put in place of fd by the handler that gives the terminal back: a frame
    // that another thread is writing then goes nowhere instead of after the end bytes.
    int null_fd = -1;
    struct sigaction saved_fatal[32]{};
    bool fatal_installed[32]{};
};

// Takes over the controlling terminal and sizes `buffers` to it: front and back blank, as
// the cleared screen shows. The terminal is written without blocking from then on. For
// every signal whose default action ends the process and whose disposition is the
// default, a handler is installed that gives the terminal back with async-signal-safe
// calls and then lets the default action happen. TB_OK; otherwise a negative code
// (TB_ERR_INIT_OPEN without a usable /dev/tty, TB_ERR_TCSETATTR when the process is not in
// the terminal's foreground process group, TB_ERR_NO_TERM when TERM is missing or names no
// description with cursor addressing, TB_ERR_MEM, TB_ERR) and the terminal, the signal
// dispositions and `buffers` are as they were: whatever was done is undone by the path
// tty_close takes.
int tty_open(Tty& tty, CellBuffers& buffers);

// Gives the terminal back: cursor shown, attributes reset, screen cleared, alternate
// screen and keypad mode left, modes restored with unread input discarded, signal
// handling restored, descriptors closed once no signal handler can still use them. Never
// waits: the unsent rest of a frame is left out (on an ECMA-48 terminal the end then begins
// with CAN and the end of the update), and so is what the kernel still holds for the
// terminal if that leaves no room for the end bytes. Leaves `tty` empty.
void tty_close(Tty& tty);

// Writes the back cells that differ from the front cells as one frame, then makes front
// equal back. A frame goes out whole while the terminal keeps up, waiting up to
// present_wait_ms for it. While the terminal has not taken an earlier frame (bytes are
// left from it, or on a serial line the kernel still holds some), what is left of that one
// is sent instead and this one is skipped: the next present sends the difference gathered.
int tty_present(Tty& tty, CellBuffers& buffers);

// tb_peek_event on the terminal; *ev is already zeroed.
int tty_peek_event(Tty& tty, CellBuffers& buffers, tb_event* ev, int timeout_ms);

// The terminal descriptor and the read end of the wake pipe.
void tty_fds(const Tty& tty, int* ttyfd, int* resizefd);

}  // namespace term_internal
