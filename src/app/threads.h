#pragma once

#include <pthread.h>

#include "core/error.h"
#include "core/run_state.h"
#include "render/render_state.h"

namespace gorv {

inline constexpr std::size_t thread_stack_size = 16 * 1024 * 1024;
inline constexpr std::size_t thread_guard_size = 4096;

using ThreadBody = void (*)(RunState&, RenderState&);

// Starts a thread running body(run, render), with a 16 MiB stack and a 4096-byte guard.
// The thread frees its argument record when the body ends. OutOfMemory when the record
// cannot be allocated, SystemResources when the attributes cannot be set up or the system
// lacks the resources for a thread, Unexpected for any other refusal.
[[nodiscard]] Result<pthread_t> start_thread(ThreadBody body, RunState& run, RenderState& render);

}  // namespace gorv
