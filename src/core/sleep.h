#pragma once

#include <cstdint>

namespace gorv {

// Sleeps for the given nanoseconds (below one second) with nanosleep, resuming with the
// remaining time after EINTR; any other failure ends the sleep early.
void sleep_nanoseconds(std::uint32_t nanoseconds);

}  // namespace gorv
