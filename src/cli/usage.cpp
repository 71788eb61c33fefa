#include "cli/usage.h"

#include <array>

namespace gorv {
namespace {

// Two U+200B ZERO WIDTH SPACE stand where an option without a short name would show it.
constexpr std::string_view no_short_name = "\u200B\u200B";

}  // namespace

std::string_view type_text(const Value& value) {
    if (value.type_alias) return *value.type_alias;
    switch (value.type) {
        case ValueKind::boolean:
            return "bool";
        case ValueKind::u32:
            return "u32";
        case ValueKind::color:
            return "main.Color";
        case ValueKind::style:
            return "main.Style";
        case ValueKind::mode:
            return "main.Mode";
        case ValueKind::accent:
            return "main.Accent";
        case ValueKind::speed:
            return "main.Speed";
    }
    return "bool";
}

Status write_short_name(char short_name, Writer& out) {
    const auto byte = static_cast<unsigned char>(short_name);
    if (byte < 0x80) return out.write(std::string_view(&short_name, 1));
    const std::array<char, 2> encoded{static_cast<char>(0xC0 | (byte >> 6)),
                                      static_cast<char>(0x80 | (byte & 0x3F))};
    return out.write(std::string_view(encoded.data(), encoded.size()));
}

Status write_option_usage(const Option& option, Writer& out) {
    if (option.short_name) {
        out.write("-");
        write_short_name(*option.short_name, out);
    } else {
        out.write(no_short_name);
    }
    if (option.short_name && option.long_name) out.write(", ");
    if (option.long_name) write_pieces(out, {"--", *option.long_name});
    if (option.long_aliases) {
        for (const std::string_view alias : *option.long_aliases)
            write_pieces(out, {", ", "--", alias});
    }
    return write_pieces(out, {" <", type_text(option.value), ">"});
}

Status write_usage(const Command& command, Writer& out) {
    write_pieces(out, {title_box, "\n", "USAGE:\n"});
    if (command.options) {
        write_pieces(out, {"    ", command.name, " ["});
        bool first = true;
        for (const Option& option : *command.options) {
            if (!first) out.write("\n          ");
            first = false;
            write_pieces(out, {" ", "--"});
            // An option without a long name shows its short name in that place.
            if (option.long_name) {
                out.write(*option.long_name);
            } else if (option.short_name) {
                write_short_name(*option.short_name, out);
            }
            write_pieces(out, {" <", type_text(option.value), ">"});
        }
        out.write(" ]\n\n");
        if (!command.subcommands) return out.status();
    }
    if (command.subcommands) {
        write_pieces(out, {"    ", command.name, " ["});
        bool first = true;
        for (const Command& subcommand : *command.subcommands) {
            if (!first) out.write("|");
            first = false;
            write_pieces(out, {" ", subcommand.name, " "});
        }
        return out.write("]\n\n");
    }
    return write_pieces(out, {"        ", command.name});
}

}  // namespace gorv
