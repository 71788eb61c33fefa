#include "cli/writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace gorv {

Status Writer::write(std::string_view bytes) {
    if (failure_) return status();
    if (Status appended = append(bytes); !appended) failure_ = appended.error();
    return status();
}

Status Writer::flush() {
    Status outcome = status();
    if (outcome) outcome = deliver();
    failure_.reset();
    return outcome;
}

Status Writer::status() const {
    if (failure_) return std::unexpected(*failure_);
    return {};
}

Status write_pieces(Writer& out, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces)
        out.write(piece);
    return out.status();
}

Status MemoryWriter::append(std::string_view bytes) {
    try {
        text.append(bytes);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
    return {};
}

Status MemoryWriter::deliver() {
    ++flushes;
    flushed = text.size();
    return {};
}

Status FileWriter::append(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == buffer_.size()) {
            if (Status drained = deliver(); !drained) return drained;
        }
        const std::size_t take = std::min(bytes.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes.data(), take);
        used_ += take;
        bytes.remove_prefix(take);
    }
    return {};
}

Status FileWriter::deliver() {
    std::size_t done = 0;
    while (done < used_) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, used_ - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            used_ = 0;
            return std::unexpected(Error::WriteFailed);
        }
        done += static_cast<std::size_t>(written);
    }
    used_ = 0;
    return {};
}

}  // namespace gorv
