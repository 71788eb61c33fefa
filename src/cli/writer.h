#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"

namespace gorv {

// Where the displays write: an append-only byte stream with a flush. A writer keeps its
// first failure: once a write has failed, later writes append nothing and report that
// failure, and so does the next flush. A display can therefore write its whole layout
// and look at the outcome once.
class Writer {
  public:
    virtual ~Writer() = default;

    // Appends the bytes, unless an earlier write has failed. Returns the first failure
    // since the last flush (WriteFailed, OutOfMemory), or success.
    Status write(std::string_view bytes);

    // Delivers everything appended since the last flush. Returns the first failure of
    // those writes or of the delivery, and forgets it: the writer is usable again.
    Status flush();

    // The first failure since the last flush, or success.
    [[nodiscard]] Status status() const;

  protected:
    // Appends the bytes to the stream; fails with the stream's error.
    [[nodiscard]] virtual Status append(std::string_view bytes) = 0;
    // Delivers what was appended; fails with the stream's error.
    [[nodiscard]] virtual Status deliver() = 0;

  private:
    std::optional<Error> failure_;
};

// Writes the pieces in order; returns the writer's first failure, or success.
Status write_pieces(Writer& out, std::initializer_list<std::string_view> pieces);

// A writer that keeps everything in memory: `text` holds all bytes written, `flushes`
// counts the flush calls and `flushed` is the size of `text` at the latest flush.
class MemoryWriter final : public Writer {
  public:
    std::string text;
    std::size_t flushes = 0;
    std::size_t flushed = 0;

  private:
    [[nodiscard]] Status append(std::string_view bytes) override;
    [[nodiscard]] Status deliver() override;
};

// A buffered writer on a file descriptor (standard output for the program). Pieces are
// appended to a 2048-byte buffer; a full buffer is drained first. Every failed write(2),
// EPIPE included, is WriteFailed (EINTR is retried); the undelivered bytes are dropped.
// Destruction does not flush.
class FileWriter final : public Writer {
  public:
    static constexpr std::size_t buffer_size = 2048;

    explicit FileWriter(int fd) : fd_(fd) {}

  private:
    [[nodiscard]] Status append(std::string_view bytes) override;
    [[nodiscard]] Status deliver() override;

    int fd_;
    std::array<char, buffer_size> buffer_{};
    std::size_t used_ = 0;
};

}  // namespace gorv
