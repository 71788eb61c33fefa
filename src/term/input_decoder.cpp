#include "term/input_decoder.h"

#include <cstdint>
#include <cstring>

#include "term/key_codes.h"

namespace term_internal {

namespace {

constexpr unsigned char escape = 0x1B;

// The longest control sequence taken as one key; a longer one is not a key.
constexpr std::size_t longest_control_sequence = 32;

bool in_range(unsigned char byte, unsigned first, unsigned last) {
    return byte >= first && byte <= last;
}

}  // namespace

std::span<char> InputDecoder::room() {
    if (start_ > 0) {
        std::memmove(bytes_, bytes_ + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    return {bytes_ + end_, capacity - end_};
}

void InputDecoder::added(std::size_t count) {
    end_ += count;
}

int InputDecoder::escape_sequence(std::uint16_t& key, bool final) const {
    const auto* held = reinterpret_cast<const unsigned char*>(bytes_ + start_);
    const std::size_t count = end_ - start_;
    bool may_grow = false;
    if (keys_ != nullptr) {
        for (const KeySequence& sequence : *keys_) {
            const std::size_t size = sequence.bytes.size();
            const std::size_t compared = size < count ? size : count;
            if (std::memcmp(held, sequence.bytes.data(), compared) != 0) continue;
            if (size > count) {
                may_grow = true;
                continue;
            }
            // Longest first: this is the longest complete match, unless a longer
            // sequence may still arrive.
            if (may_grow && !final) return -1;
            key = sequence.key;
            return static_cast<int>(size);
        }
    }
    if (may_grow && !final) return -1;
    if (count < 2) return final ? 0 : -1;
    if (held[1] == 'O') {
        // A single shift: one more byte.
        if (count < 3) return final ? 0 : -1;
        if (!in_range(held[2], 0x40, 0x7E)) return 0;
        key = code_other_sequence;
        return 3;
    }
    if (held[1] != '[') return 0;
    // A control sequence: parameter bytes, intermediate bytes, one final byte.
    std::size_t i = 2;
    while (i < count && in_range(held[i], 0x30, 0x3F))
        ++i;
    while (i < count && in_range(held[i], 0x20, 0x2F))
        ++i;
    if (i >= longest_control_sequence) return 0;
    if (i == count) return final ? 0 : -1;
    if (!in_range(held[i], 0x40, 0x7E)) return 0;
    key = code_other_sequence;
    return static_cast<int>(i + 1);
}

InputDecoder::Result InputDecoder::next(tb_event& ev, bool final) {
    if (start_ == end_) return Result::empty;
    const auto* held = reinterpret_cast<const unsigned char*>(bytes_ + start_);
    const std::size_t count = end_ - start_;
    const unsigned char first = held[0];
    std::size_t used = 1;
    ev.type = TB_EVENT_KEY;
    ev.ch = 0;
    ev.key = 0;

    if (first == escape) {
        std::uint16_t key = 0;
        const int length = escape_sequence(key, final);
        if (length < 0) {
            ev.type = 0;
            return Result::need_more;
        }
        if (length > 0) {
            ev.key = key;
            used = static_cast<std::size_t>(length);
        } else {
            ev.key = escape;
        }
    } else if (first < 0x20 || first == 0x7F) {
        ev.key = first;
    } else if (first < 0x80) {
        ev.ch = first;
    } else {
        // UTF-8: the lead byte gives the length and the range of the second byte, which
        // excludes overlong forms, surrogates and values beyond U+10FFFF.
        std::size_t length = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        std::uint32_t value = 0;
        if (in_range(first, 0xC2, 0xDF)) {
            length = 2;
            value = first & 0x1Fu;
        } else if (in_range(first, 0xE0, 0xEF)) {
            length = 3;
            value = first & 0x0Fu;
            if (first == 0xE0) low = 0xA0;
            if (first == 0xED) high = 0x9F;
        } else if (in_range(first, 0xF0, 0xF4)) {
            length = 4;
            value = first & 0x07u;
            if (first == 0xF0) low = 0x90;
            if (first == 0xF4) high = 0x8F;
        }
        bool valid = length > 0;
        for (std::size_t i = 1; valid && i < length; ++i) {
            if (i >= count) {
                if (!final) {
                    ev.type = 0;
                    return Result::need_more;
                }
                valid = false;
                break;
            }
            const unsigned char byte = held[i];
            valid = i == 1 ? in_range(byte, low, high) : in_range(byte, 0x80, 0xBF);
            value = (value << 6) | (byte & 0x3Fu);
        }
        if (valid) {
            ev.ch = value;
            used = length;
        } else {
            // Not UTF-8: the byte is a key of its own, and the next byte starts afresh.
            ev.key = first;
        }
    }
    start_ += used;
    if (start_ == end_) start_ = end_ = 0;
    return Result::event;
}

}  // namespace term_internal
