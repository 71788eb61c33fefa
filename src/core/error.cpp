#include "core/error.h"

namespace gorv {

std::string_view error_name(Error error) {
    switch (error) {
        case Error::OutOfMemory:
            return "OutOfMemory";
        case Error::NoSpaceLeft:
            return "NoSpaceLeft";
        case Error::WriteFailed:
            return "WriteFailed";
        case Error::SystemResources:
            return "SystemResources";
        case Error::Unexpected:
            return "Unexpected";
        case Error::TimerUnsupported:
            return "TimerUnsupported";
        case Error::UsageHelpCalled:
            return "UsageHelpCalled";
        case Error::CommandLineRejected:
            return "CommandLineRejected";
        case Error::EmptyArgumentProvidedToOption:
            return "EmptyArgumentProvidedToOption";
        case Error::CannotParseArgToValue:
            return "CannotParseArgToValue";
        case Error::InvalidCharacter:
            return "InvalidCharacter";
        case Error::Overflow:
            return "Overflow";
        case Error::NotEmpty:
            return "NotEmpty";
        case Error::EnumTagDoesNotExist:
            return "EnumTagDoesNotExist";
        case Error::CommandNotInitialized:
            return "CommandNotInitialized";
        case Error::NoOptionsInCommand:
            return "NoOptionsInCommand";
        case Error::RequestedTypeMismatch:
            return "RequestedTypeMismatch";
        case Error::ValueNotSet:
            return "ValueNotSet";
    }
    return "Unexpected";
}

}  // namespace gorv
