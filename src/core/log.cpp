#include "core/log.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace gorv {
namespace {

void write_all(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

char held[4096];
std::size_t held_used = 0;
bool holding = false;

}  // namespace

std::recursive_mutex& log_lock() {
    static std::recursive_mutex lock;
    return lock;
}

void log_pieces(std::initializer_list<std::string_view> pieces) {
    // One write per line where it fits, so that even another process writing to the
    // same file sees whole lines; longer lines go out in several writes under the lock.
    char buffer[1024];
    std::size_t used = 0;
    bool partial = false;
    std::lock_guard guard(log_lock());
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            if (used == sizeof buffer) {
                write_all(buffer, used);
                used = 0;
                partial = true;
            }
            const std::size_t take = std::min(piece.size(), sizeof buffer - used);
            std::memcpy(buffer + used, piece.data(), take);
            used += take;
            piece.remove_prefix(take);
        }
    }
    if (holding && !partial && used <= sizeof held - held_used) {
        std::memcpy(held + held_used, buffer, used);
        held_used += used;
        return;
    }
    write_all(buffer, used);
}

void hold_log_lines() {
    std::lock_guard guard(log_lock());
    holding = true;
}

void release_log_lines() {
    std::lock_guard guard(log_lock());
    holding = false;
    write_all(held, held_used);
    held_used = 0;
}

void log_line(std::string_view level, std::string_view scope, std::string_view message) {
    log_pieces({level, "(", scope, "): ", message, "\n"});
}

void report_error(Error error) {
    log_pieces({"error: ", error_name(error), "\n"});
}

}  // namespace gorv
