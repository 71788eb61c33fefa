#pragma once

// The one owner of what the layer writes to the terminal: the descriptor, the bytes on
// their way out and how many have gone, and the one policy for waiting on the terminal.
// Bytes that begin to go out go out whole, in order, whatever happens meanwhile; the only
// bytes ever left out are those of a frame cut short by a resize or by the end of the
// session, and then the stream is first brought back to a state where the terminal takes
// new bytes as they are meant. Internal to src/term.

#include <sys/types.h>
#include <termios.h>

#include <atomic>
#include <cstddef>
#include <string_view>

#include "term/frame_encoder.h"

namespace term_internal {

// How long a present waits for the terminal, and for which terminal. A write that takes
// at least keeping_up_bytes (a page: every pseudo-terminal and serial line holds more) found
// the kernel's queue for the terminal empty or nearly so, so the terminal has taken what
// came before and keeps up: the rest of what it is sent is waited for, as long as the
// terminal takes more within stall_ms each time, and present_wait_ms in all. A terminal that
// keeps up takes more within a millisecond or two, and the largest frames within a few;
// the bound in all is the watcher's poll timeout, so that a key or a signal is still seen
// within the time the run is paced by. A write that takes less, or nothing, finds the
// terminal behind, and nothing is waited for: what is left goes at later presents as the
// terminal drains, and frames are skipped until it is out. Nothing else in the layer waits
// for the terminal.
inline constexpr std::size_t keeping_up_bytes = 4096;
inline constexpr int stall_ms = 20;
inline constexpr int present_wait_ms = 100;

// CAN: ends an ECMA-48 control sequence in progress, and is ignored outside one.
inline constexpr char cancel_sequence = '\x18';

// The bytes that give the terminal back, prepared before they are needed so that a signal
// handler can send them: `bytes` begins with `cancel_size` bytes (CAN and the end of an
// update, on ECMA-48 terminals) that are sent only after a frame was cut short.
struct EndBytes {
    char bytes[288]{};
    std::size_t size = 0;         // all of them
    std::size_t cancel_size = 0;  // the leading bytes that end what a cut left open
};

class TtyOutput {
  public:
    // Writes to fd, which is non-blocking and stays the caller's. `ecma48`: the terminal takes
    // ECMA-48 control sequences, so a frame cut short can be ended with CAN and end_update.
    // `queue_tells`: the kernel's output queue (TIOCOUTQ) shows what the terminal has not
    // taken yet; it does on a serial line, never on a pseudo-terminal.
    void start(int fd, bool ecma48, bool queue_tells);

    // Forgets the descriptor and every byte not sent; the buffer's memory is freed.
    void stop();

    // The buffer for the next bytes to send, empty; only while idle(). `frame`: they are a
    // frame, which drop_rest may cut short; other bytes (a takeover's) always go whole.
    OutputBuffer& next(bool frame);

    // True when every byte handed over has been written.
    [[nodiscard]] bool idle() const { return sent_ == buffer_.size; }

    // True when the terminal has not taken everything written yet: bytes are left here, or
    // the kernel still holds some on a line where it tells.
    [[nodiscard]] bool behind() const;

    // Writes what the terminal takes of the bytes left (those of next(), or what an earlier
    // call left), and, when it keeps up, waits for it to take the rest, as the constants
    // above say. TB_OK also when some are left: a later call sends them. TB_ERR when the
    // terminal cannot be written.
    int send();

    // Leaves out what is left of a frame cut short, for a terminal whose screen has changed
    // under it (a resize: every cell is drawn again anyway). The character the cut split is
    // completed, and CAN and end_update follow, sent before anything else. Without ECMA-48
    // nothing is left out: every byte still goes, whole.
    void drop_rest();

    // Whether bytes have begun to go out and not all of them have: the stream is cut.
    [[nodiscard]] bool cut() const { return cut_.load(); }

    // Prepares the end bytes: `cancel` (empty without ECMA-48) then `end`. False when they
    // do not fit EndBytes.
    [[nodiscard]] bool prepare_end(std::string_view cancel, std::string_view end);

    [[nodiscard]] const EndBytes& end_bytes() const { return end_; }

  private:
    // Writes what the terminal takes now: the number of bytes, or -1 when it cannot be
    // written.
    ssize_t write_some();

    int fd_ = -1;
    bool ecma48_ = false;
    bool queue_tells_ = false;
    OutputBuffer buffer_;
    std::size_t sent_ = 0;
    bool frame_ = false;
    std::atomic<bool> cut_{false};
    EndBytes end_;
};

// Gives the terminal back without waiting: the end bytes (with their cancelling head when
// `cut`), then `modes` (when not null) with unread input discarded. When the kernel's
// queue has no room for the end bytes, what it holds for the terminal is dropped to make
// room (frame bytes the end is about to clear), and the end is sent with its head, since
// the drop may have cut a sequence. Async-signal-safe.
void give_back_now(int fd, const EndBytes& end, bool cut, const termios* modes);

}  // namespace term_internal
