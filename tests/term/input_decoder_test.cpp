// The input decoder on byte strings as a terminal sends them, with xterm-256color's key
// sequences (`infocmp -1 xterm-256color`: kcuu1=\EOA, kf5=\E[15~). Encodings of the
// characters as published in the Unicode code charts.

#include "term/input_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "term/key_codes.h"
#include "term/terminal_description.h"

namespace {

using term_internal::InputDecoder;

std::string describe(const tb_event& ev) {
    if (ev.ch != 0) return "ch " + std::to_string(ev.ch);
    return "key " + std::to_string(ev.key);
}

std::string key(unsigned code) {
    return "key " + std::to_string(code);
}

std::string ch(unsigned code) {
    return "ch " + std::to_string(code);
}

class Decoder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(term_internal::describe_terminal("xterm-256color", description_), TB_OK);
        decoder_.use_keys(&description_.keys);
    }

    void feed(const std::string& bytes) {
        const std::span<char> room = decoder_.room();
        ASSERT_LE(bytes.size(), room.size());
        std::memcpy(room.data(), bytes.data(), bytes.size());
        decoder_.added(bytes.size());
    }

    // Every event the bytes give; at the end the bytes held count as complete, as they do
    // once no more arrive.
    std::vector<std::string> decode(const std::string& bytes) {
        feed(bytes);
        std::vector<std::string> events;
        for (bool final : {false, true}) {
            tb_event ev{};
            while (decoder_.next(ev, final) == InputDecoder::Result::event) {
                EXPECT_EQ(ev.type, TB_EVENT_KEY);
                events.push_back(describe(ev));
            }
        }
        EXPECT_FALSE(decoder_.holding());
        return events;
    }

    term_internal::TerminalDescription description_;
    InputDecoder decoder_;
};

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> events;
};

TEST_F(Decoder, GivesOneEventPerKeyAndOnePerStrayByte) {
    using namespace term_internal;
    const DecodeCase cases[] = {
        {"letter", "q", {ch('q')}},
        {"control keys", "\x03\x1a\x7f\r", {key(3), key(0x1A), key(0x7F), key(0x0D)}},
        {"lone escape", "\x1b", {key(0x1B)}},
        {"escape then a letter", "\x1bx", {key(0x1B), ch('x')}},
        {"up arrow of the description", "\x1bOA", {key(code_arrow_up)}},
        {"up arrow in cursor mode", "\x1b[A", {key(code_arrow_up)}},
        {"F5 of the description", "\x1b[15~", {key(code_f1 - 4)}},
        {"arrow with Ctrl", "\x1b[1;5A", {key(code_other_sequence)}},
        {"keys in a burst", "q\x1b[Bx", {ch('q'), key(code_arrow_down), ch('x')}},
        {"unfinished sequence", "\x1b[1;", {key(0x1B), ch('['), ch('1'), ch(';')}},
        {"two bytes", "\xc3\xa9", {ch(0xE9)}},
        {"three bytes", "\xef\xbe\x8a", {ch(0xFF8A)}},
        {"four bytes", "\xf0\x9f\x98\x80", {ch(0x1F600)}},
        {"Latin-1 e acute", "\xe9", {key(0xE9)}},
        {"Latin-1 e acute, then q", "\xe9q", {key(0xE9), ch('q')}},
        {"continuation byte", "\x80", {key(0x80)}},
        {"never in UTF-8",
         "\xff\xfe\xc0\xc1\xf5",
         {key(0xFF), key(0xFE), key(0xC0), key(0xC1), key(0xF5)}},
        {"surrogate", "\xed\xa0\x80", {key(0xED), key(0xA0), key(0x80)}},
        {"overlong slash", "\xe0\x80\xaf", {key(0xE0), key(0x80), key(0xAF)}},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", {key(0xF4), key(0x90), key(0x80), key(0x80)}},
        {"cut short", "\xe2\x94", {key(0xE2), key(0x94)}},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(decode(c.bytes), c.events) << c.name;
    }
}

TEST_F(Decoder, WaitsForTheRestOfASequence) {
    for (const char* start : {"\x1b", "\x1b[", "\x1b[1;5", "\x1bO", "\xe2", "\xe2\x94"}) {
        feed(start);
        tb_event ev{};
        EXPECT_EQ(decoder_.next(ev, false), InputDecoder::Result::need_more) << start;
        EXPECT_TRUE(decoder_.holding());
        decoder_.clear();
    }
    feed("\x1b[1");
    tb_event ev{};
    ASSERT_EQ(decoder_.next(ev, false), InputDecoder::Result::need_more);
    feed("5~");
    ASSERT_EQ(decoder_.next(ev, false), InputDecoder::Result::event);
    EXPECT_EQ(describe(ev), key(term_internal::code_f1 - 4));
    EXPECT_EQ(decoder_.next(ev, false), InputDecoder::Result::empty);
}

}  // namespace
