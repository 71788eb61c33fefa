#include "term/tty_output.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "term/termbox2.h"

namespace term_internal {

namespace {

long long now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Writes as much of bytes as the terminal takes now; the number written, or -1 on an
// error other than a full queue. Async-signal-safe.
ssize_t write_now(int fd, const char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = write(fd, bytes + done, size - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            return -1;
        }
        done += static_cast<std::size_t>(written);
    }
    return static_cast<ssize_t>(done);
}

// The bytes after `cut` that complete the UTF-8 character the cut split, if it split one.
std::size_t rest_of_character(const char* bytes, std::size_t cut, std::size_t size) {
    for (std::size_t back = 1; back <= 4 && back <= cut; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[cut - back]);
        if ((byte & 0xC0) == 0x80) continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? std::min(length - back, size - cut) : 0;
    }
    return 0;
}

}  // namespace

void TtyOutput::start(int fd, bool ecma48, bool queue_tells) {
    fd_ = fd;
    ecma48_ = ecma48;
    queue_tells_ = queue_tells;
}

void TtyOutput::stop() {
    fd_ = -1;
    buffer_ = OutputBuffer{};
    sent_ = 0;
    frame_ = false;
    cut_.store(false);
}

OutputBuffer& TtyOutput::next(bool frame) {
    buffer_.size = 0;
    sent_ = 0;
    frame_ = frame;
    return buffer_;
}

bool TtyOutput::behind() const {
    if (!idle()) return true;
    int queued = 0;
    return queue_tells_ && ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0;
}

ssize_t TtyOutput::write_some() {
    const ssize_t written = write_now(fd_, buffer_.data.get() + sent_, buffer_.size - sent_);
    if (written < 0) return written;
    sent_ += static_cast<std::size_t>(written);
    if (idle()) {
        cut_.store(false);
    } else if (written > 0) {
        cut_.store(true);
    }
    return written;
}

int TtyOutput::send() {
    if (idle()) return TB_OK;
    const ssize_t first = write_some();
    if (first < 0) return TB_ERR;
    if (static_cast<std::size_t>(first) < keeping_up_bytes) return TB_OK;
    const long long deadline = now_ms() + present_wait_ms;
    while (!idle()) {
        const long long left = deadline - now_ms();
        if (left <= 0) return TB_OK;
        pollfd out{fd_, POLLOUT, 0};
        const int ready = poll(&out, 1, static_cast<int>(std::min<long long>(left, stall_ms)));
        if (ready < 0 && errno != EINTR) return TB_ERR;
        if (ready == 0) return TB_OK;
        if (write_some() < 0) return TB_ERR;
    }
    return TB_OK;
}

void TtyOutput::drop_rest() {
    if (idle() || !frame_ || !ecma48_) return;
    if (sent_ == 0) {
        buffer_.size = 0;
        return;
    }
    char* bytes = buffer_.data.get();
    const std::size_t rest = rest_of_character(bytes, sent_, buffer_.size);
    std::copy_n(bytes + sent_, rest, bytes);
    bytes[rest] = cancel_sequence;
    constexpr std::size_t end_size = sizeof end_update - 1;
    std::copy_n(end_update, end_size, bytes + rest + 1);
    buffer_.size = rest + 1 + end_size;
    sent_ = 0;
}

bool TtyOutput::prepare_end(std::string_view cancel, std::string_view end) {
    if (cancel.size() + end.size() > sizeof end_.bytes) return false;
    std::copy(end.begin(), end.end(), std::copy(cancel.begin(), cancel.end(), end_.bytes));
    end_.size = cancel.size() + end.size();
    end_.cancel_size = cancel.size();
    return true;
}

void give_back_now(int fd, const EndBytes& end, bool cut, const termios* modes) {
    const std::size_t skip = cut ? 0 : end.cancel_size;
    const std::size_t size = end.size - skip;
    if (size > 0 && write_now(fd, end.bytes + skip, size) != static_cast<ssize_t>(size)) {
        (void)tcflush(fd, TCOFLUSH);
        (void)write_now(fd, end.bytes, end.size);
    }
    if (modes != nullptr) {
        (void)tcsetattr(fd, TCSANOW, modes);
        (void)tcflush(fd, TCIFLUSH);
    }
}

}  // namespace term_internal
