#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory_resource>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "cli/writer.h"

namespace gorv::testing {

// An argument vector: "gorv" followed by the given arguments, as the process gets it.
class Arguments {
  public:
    explicit Arguments(std::vector<std::string> after_name) : texts_(std::move(after_name)) {
        texts_.insert(texts_.begin(), "gorv");
        for (std::string& text : texts_)
            pointers_.push_back(text.data());
    }
    [[nodiscard]] std::span<char* const> span() const { return pointers_; }

  private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

// Collects what is written to a file descriptor (standard error by default) while it
// lives; text() stops the capture and returns the bytes.
class CapturedFd {
  public:
    explicit CapturedFd(int fd = STDERR_FILENO) : fd_(fd), file_(std::tmpfile()) {
        saved_ = ::dup(fd_);
        ::dup2(::fileno(file_), fd_);
    }
    ~CapturedFd() {
        restore();
        std::fclose(file_);
    }
    CapturedFd(const CapturedFd&) = delete;
    CapturedFd& operator=(const CapturedFd&) = delete;

    std::string text() {
        restore();
        std::string bytes;
        std::rewind(file_);
        char chunk[512];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0)
            bytes.append(chunk, got);
        return bytes;
    }

  private:
    void restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, fd_);
        ::close(saved_);
        saved_ = -1;
    }

    int fd_;
    std::FILE* file_;
    int saved_ = -1;
};

// A writer that accepts `budget` bytes and then fails every write; its flush fails when
// `fail_flush` is set.
class FailingWriter final : public Writer {
  public:
    explicit FailingWriter(std::size_t budget) : budget_(budget) {}
    [[nodiscard]] Status write(std::string_view bytes) override {
        if (bytes.size() > budget_) {
            ++failures;
            return std::unexpected(Error::WriteFailed);
        }
        budget_ -= bytes.size();
        text.append(bytes);
        return {};
    }
    [[nodiscard]] Status flush() override {
        if (fail_flush) return std::unexpected(Error::WriteFailed);
        return {};
    }
    std::string text;
    int failures = 0;
    bool fail_flush = false;

  private:
    std::size_t budget_;
};

}  // namespace gorv::testing
