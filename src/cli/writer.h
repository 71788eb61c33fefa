#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/error.h"

namespace gorv {

// Where the displays write: an append-only byte stream with a flush.
class Writer {
  public:
    virtual ~Writer() = default;
    // Appends the bytes; fails with the stream's error (WriteFailed), after which
    // nothing more should be written.
    [[nodiscard]] virtual Status write(std::string_view bytes) = 0;
    // Delivers everything appended so far; fails with the stream's error.
    [[nodiscard]] virtual Status flush() = 0;
};

// Writes the pieces in order; stops at the first failing write and returns its error.
[[nodiscard]] Status write_pieces(Writer& out, std::initializer_list<std::string_view> pieces);

// A writer that keeps everything in memory: `text` holds all bytes written, `flushes`
// counts the flush calls and `flushed` is the size of `text` at the latest flush.
class MemoryWriter final : public Writer {
  public:
    [[nodiscard]] Status write(std::string_view bytes) override;
    [[nodiscard]] Status flush() override;

    std::string text;
    std::size_t flushes = 0;
    std::size_t flushed = 0;
};

}  // namespace gorv
