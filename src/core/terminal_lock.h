#pragma once

#include <mutex>

namespace gorv {

// The terminal library is not safe for concurrent calls: every tb_* call of the program
// is made while holding this lock. It is never held across a sleep or an input wait.
inline std::mutex& terminal_lock() {
    static std::mutex lock;
    return lock;
}

}  // namespace gorv
