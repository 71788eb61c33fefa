#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace gorv::testing {

// Collects what is written to a file descriptor (standard error by default) while it
// lives; restore() ends the capture early, text() ends it and returns the bytes.
class CapturedFd {
  public:
    explicit CapturedFd(int fd = STDERR_FILENO) : fd_(fd), file_(std::tmpfile()) {
        std::fflush(fd_ == STDOUT_FILENO ? stdout : stderr);
        saved_ = ::dup(fd_);
        ::dup2(::fileno(file_), fd_);
    }
    ~CapturedFd() {
        restore();
        std::fclose(file_);
    }
    CapturedFd(const CapturedFd&) = delete;
    CapturedFd& operator=(const CapturedFd&) = delete;

    void restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, fd_);
        ::close(saved_);
        saved_ = -1;
    }

    std::string text() {
        restore();
        std::string bytes;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t got = ::pread(::fileno(file_), chunk, sizeof chunk, at);
            if (got <= 0) break;
            bytes.append(chunk, static_cast<std::size_t>(got));
            at += got;
        }
        return bytes;
    }

  private:
    int fd_;
    std::FILE* file_;
    int saved_ = -1;
};

}  // namespace gorv::testing
