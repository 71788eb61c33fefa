#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace gorv {

// The run-control record that the main routine shares with the watcher and the renderer.
//
// How the two threads take turns. The renderer owns the frames, the watcher owns every
// change under them: a resize, and the give-back and retake of the terminal around a stop
// or a continue.
// - The renderer, at the start of each frame, sets `drawing` (in the RenderState) and only
//   then tests `resizing`. Found set, it clears `drawing`, lets go of `lock` and tries again
//   at once; it never sleeps on it. Found clear, it draws the frame, clears `drawing`, and
//   sleeps the frame delay.
// - The watcher sets `resizing` and only then tests `drawing`, sleeping one resize wait step
//   (19,865,246 ns) between two tests while it is set. Once it finds `drawing` clear it
//   changes what it must (reads the size, gives the terminal back and stops, takes it over
//   again), calls `rebuild`, and clears `resizing`.
// With both flags sequentially consistent, a frame cannot begin after the watcher has seen
// `drawing` clear, so no frame overlaps a change. A stop stops the whole process, so the
// renderer's retries cost nothing while it lasts.
// - The two locks order nothing between the threads: each is taken by one thread only.
//   `lock` here is the renderer's, held for a whole frame and its delay; the RenderState's
//   lock is held by `rebuild`, which only the main thread (before the threads start) and
//   then the watcher call. What keeps the terminal library's calls apart is the terminal
//   lock (terminal_lock.h), taken around each call by whichever thread makes it.
struct RunState {
    std::mutex lock;         // held by the renderer for each frame and its delay
    std::uint32_t time = 0;  // run duration in seconds, 0 for none; set before the threads
    std::atomic<bool> starting{true};   // cleared by the watcher once it is ready
    std::atomic<bool> resizing{false};  // set by the watcher while it changes what frames draw on
};

}  // namespace gorv
