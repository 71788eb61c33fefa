#include "cli/value_parsers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace gorv {
namespace {

std::string_view trim(std::string_view text) {
    constexpr std::string_view blanks{" \t\0", 3};
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

template <class Enum, std::size_t N>
Result<Enum> parse_name(std::string_view text,
                        const std::array<std::pair<std::string_view, Enum>, N>& names) {
    const std::string_view name = trim(text);
    for (const auto& [candidate, member] : names) {
        if (candidate == name) return member;
    }
    return std::unexpected(Error::EnumTagDoesNotExist);
}

constexpr std::array<std::pair<std::string_view, Color>, 6> color_names{{
    {"default", Color::default_},
    {"red", Color::red},
    {"green", Color::green},
    {"yellow", Color::yellow},
    {"blue", Color::blue},
    {"magenta", Color::magenta},
}};
constexpr std::array<std::pair<std::string_view, Style>, 6> style_names{{
    {"default", Style::default_},
    {"columns", Style::columns},
    {"crypto", Style::crypto},
    {"grid", Style::grid},
    {"blocks", Style::blocks},
    {"rain", Style::rain},
}};
constexpr std::array<std::pair<std::string_view, Mode>, 4> mode_names{{
    {"binary", Mode::binary},
    {"decimal", Mode::decimal},
    {"hexadecimal", Mode::hexadecimal},
    {"textual", Mode::textual},
}};
constexpr std::array<std::pair<std::string_view, Accent>, 4> accent_names{{
    {"bold", Accent::bold},
    {"bright", Accent::bright},
    {"dim", Accent::dim},
    {"pulse", Accent::pulse},
}};
constexpr std::array<std::pair<std::string_view, Speed>, 3> speed_names{{
    {"slow", Speed::slow},
    {"normal", Speed::normal},
    {"fast", Speed::fast},
}};

// The digit value of a character: 0-9, then a-z and A-Z as 10-35; 36 for anything else.
unsigned digit_value(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a') + 10;
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A') + 10;
    return 36;
}

// Reads the digits of `text` after the sign. With `negative`, the first non-zero digit
// is an overflow, so only zero can be read.
Result<std::uint32_t> parse_magnitude(std::string_view text, bool negative) {
    unsigned base = 10;
    if (text.size() >= 3 && text[0] == '0') {
        switch (text[1]) {
            case 'x':
            case 'X':
                base = 16;
                break;
            case 'o':
            case 'O':
                base = 8;
                break;
            case 'b':
            case 'B':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '_' || text.back() == '_') {
        return std::unexpected(Error::InvalidCharacter);
    }
    std::uint64_t accumulated = 0;
    for (const char c : text) {
        if (c == '_') continue;
        const unsigned digit = digit_value(c);
        if (digit >= base) return std::unexpected(Error::InvalidCharacter);
        if (negative && digit != 0) return std::unexpected(Error::Overflow);
        accumulated = accumulated * base + digit;
        if (accumulated > 0xFFFF'FFFFu) return std::unexpected(Error::Overflow);
    }
    return static_cast<std::uint32_t>(accumulated);
}

// Converts one piece by the value's rule, before anything is stored.
Result<Entry> convert(const Value& value, std::string_view piece) {
    if (value.parse_function != nullptr) {
        Result<Entry> parsed = value.parse_function(piece);
        // A parse function that gives another kind than the value's is refused too.
        if (!parsed || entry_kind(*parsed) != value.type) {
            return std::unexpected(Error::CannotParseArgToValue);
        }
        return parsed;
    }
    switch (value.type) {
        case ValueKind::boolean:
            if (piece == "true") return Entry{true};
            if (piece == "false") return Entry{false};
            return std::unexpected(Error::CannotParseArgToValue);
        case ValueKind::u32: {
            const Result<std::uint32_t> number = parse_unsigned(piece);
            if (!number) return std::unexpected(number.error());
            return Entry{*number};
        }
        default:
            // An enumeration without a parse function has no way to read its text.
            return std::unexpected(Error::CannotParseArgToValue);
    }
}

void store(Value& value, const Entry& entry) {
    if (value.set_behavior == SetBehavior::last) {
        value.entries[0] = entry;
        if (value.count == 0) value.count = 1;
    } else {
        const std::size_t limit = std::min<std::size_t>(value.max_entries, value.entries.size());
        if (value.count < limit) {
            value.entries[value.count] = entry;
            ++value.count;
        }
    }
    value.is_set = true;
    value.is_empty = false;
}

}  // namespace

Status set_value(Value& value, std::string_view text) {
    if (value.set_behavior == SetBehavior::multi) {
        for (const char separator : value.separators) {
            if (text.find(separator) == std::string_view::npos) continue;
            std::size_t start = 0;
            while (true) {
                const std::size_t end = text.find(separator, start);
                const std::string_view piece =
                    text.substr(start, end == std::string_view::npos ? text.npos : end - start);
                if (Status stored = set_value(value, piece); !stored) return stored;
                if (end == std::string_view::npos) return {};
                start = end + 1;
            }
        }
    }
    const Result<Entry> entry = convert(value, text);
    if (!entry) return std::unexpected(entry.error());
    store(value, *entry);
    return {};
}

Status set_empty(Value& value) {
    if (!value.is_empty) return std::unexpected(Error::NotEmpty);
    value.is_set = true;
    return {};
}

Result<Color> parse_color(std::string_view text) {
    return parse_name(text, color_names);
}
Result<Style> parse_style(std::string_view text) {
    return parse_name(text, style_names);
}
Result<Mode> parse_mode(std::string_view text) {
    return parse_name(text, mode_names);
}
Result<Accent> parse_accent(std::string_view text) {
    return parse_name(text, accent_names);
}
Result<Speed> parse_speed(std::string_view text) {
    return parse_name(text, speed_names);
}

Result<std::uint32_t> parse_unsigned(std::string_view text) {
    if (text.empty()) return std::unexpected(Error::InvalidCharacter);
    bool negative = false;
    if (text.front() == '+') {
        text.remove_prefix(1);
    } else if (text.front() == '-') {
        if (text.size() == 1) return std::unexpected(Error::InvalidCharacter);
        negative = true;
        text.remove_prefix(1);
    }
    return parse_magnitude(text, negative);
}

}  // namespace gorv
