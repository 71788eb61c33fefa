#pragma once

#include <mutex>

namespace gorv {

// The terminal library is not safe for concurrent calls: every tb_* call of the program
// is made while holding this lock. It is never held across a sleep or an input wait. The
// longest any holder keeps it is one frame: drawing it, and tb_present, which waits at most
// 100 ms for a terminal that keeps up and not at all for one that does not. So the watcher
// takes it for a key or a stop within that bound, and a key still ends the run within the
// frame and its delay.
inline std::mutex& terminal_lock() {
    static std::mutex lock;
    return lock;
}

}  // namespace gorv
