#include "cli/writer.h"

#include <new>

namespace gorv {

Status write_pieces(Writer& out, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        if (Status written = out.write(piece); !written) return written;
    }
    return {};
}

Status MemoryWriter::write(std::string_view bytes) {
    try {
        text.append(bytes);
    } catch (const std::bad_alloc&) {
        return std::unexpected(Error::OutOfMemory);
    }
    return {};
}

Status MemoryWriter::flush() {
    ++flushes;
    flushed = text.size();
    return {};
}

}  // namespace gorv
