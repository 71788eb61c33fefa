#pragma once

#include <cstdint>
#include <expected>
#include <string_view>

namespace gorv {

// Every named failure of the program. What the user sees is the enumerator's name.
enum class Error : std::uint8_t {
    OutOfMemory,
    NoSpaceLeft,
    WriteFailed,
    SystemResources,
    Unexpected,
    TimerUnsupported,
    UsageHelpCalled,  // a help or usage display was written: not a failure
    // A malformed command line was reported with a log line and a usage display; the
    // exit status is 1, and no "error: " line follows.
    CommandLineRejected,
    EmptyArgumentProvidedToOption,
    CannotParseArgToValue,
    InvalidCharacter,
    Overflow,
    NotEmpty,
    EnumTagDoesNotExist,
    CommandNotInitialized,
    NoOptionsInCommand,
    RequestedTypeMismatch,
    ValueNotSet,
};

// The enumerator's name, for example "OutOfMemory".
[[nodiscard]] std::string_view error_name(Error error);

template <class T>
using Result = std::expected<T, Error>;

// Success or an error, for operations that return nothing else.
using Status = std::expected<void, Error>;

}  // namespace gorv
