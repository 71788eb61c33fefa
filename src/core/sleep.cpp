#include "core/sleep.h"

#include <cerrno>
#include <ctime>

namespace gorv {

void sleep_nanoseconds(std::uint32_t nanoseconds) {
    timespec request{0, static_cast<long>(nanoseconds)};
    timespec remaining{};
    while (::nanosleep(&request, &remaining) != 0 && errno == EINTR)
        request = remaining;
}

}  // namespace gorv
