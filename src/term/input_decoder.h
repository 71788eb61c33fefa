#pragma once

// Turns the bytes read from a terminal into key events: the description's key sequences
// and other escape sequences as one key each, UTF-8 as one character, and every other byte
// (a control character, a byte that is not valid UTF-8) as a key of its own. Holds the
// bytes read but not yet reported in a fixed buffer; allocates nothing. Internal to
// src/term.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "term/termbox2.h"
#include "term/terminal_description.h"

namespace term_internal {

class InputDecoder {
  public:
    enum class Result : std::uint8_t {
        event,      // *ev holds a key event
        need_more,  // the bytes held begin a sequence that may go on
        empty,      // no bytes held
    };

    // Decodes with these key sequences (longest first; they must outlive the decoder).
    void use_keys(const std::vector<KeySequence>* keys) { keys_ = keys; }

    // Free room for bytes read from the terminal; call added(n) after reading n into it.
    // Empty when the buffer is full of bytes not yet reported.
    std::span<char> room();
    void added(std::size_t count);

    // Takes the next key event off the bytes held. With `final` set the bytes held are
    // taken as complete: a lone Escape is the Escape key, and the first byte of an
    // unfinished sequence a key of its own.
    Result next(tb_event& ev, bool final);

    // Whether bytes are held that no event has reported yet.
    [[nodiscard]] bool holding() const { return start_ < end_; }

    // Forgets every byte held.
    void clear() { start_ = end_ = 0; }

  private:
    // Bytes in a complete escape sequence at the start of the held bytes (with its key
    // code in `key`); 0 when they are not one; -1 when they may still become one and
    // `final` is not set.
    int escape_sequence(std::uint16_t& key, bool final) const;

    static constexpr std::size_t capacity = 256;
    char bytes_[capacity]{};
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    const std::vector<KeySequence>* keys_ = nullptr;
};

}  // namespace term_internal
