#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace gorv::testing {

// Redirects standard error into a temporary file for its lifetime; text() reads what
// was written so far.
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(::fileno(file_), STDERR_FILENO);
    }
    ~StderrCapture() {
        restore();
        std::fclose(file_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    void restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    std::string text() const {
        std::string result;
        const int fd = ::fileno(file_);
        char buffer[4096];
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
            if (got <= 0) break;
            result.append(buffer, static_cast<std::size_t>(got));
            offset += got;
        }
        return result;
    }

  private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

}  // namespace gorv::testing
