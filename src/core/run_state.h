#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace gorv {

// The run-control record that the main routine shares with the watcher and the renderer.
struct RunState {
    std::mutex lock;         // held by the renderer for each frame and its delay
    std::uint32_t time = 0;  // run duration in seconds, 0 for none; set before the threads
    std::atomic<bool> starting{true};   // cleared by the watcher once it is ready
    std::atomic<bool> resizing{false};  // set by the watcher while it handles a resize
};

}  // namespace gorv
