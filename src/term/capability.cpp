#include "term/capability.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace term_internal {

namespace {

// The stack and the variables of the `%` language, as ncurses keeps them.
constexpr int stack_size = 20;
constexpr int variable_count = 26;

// Calls emit(byte) for each byte of text outside its padding ($<5>, $<2*/>).
template <typename Emit>
void for_each_unpadded(std::string_view text, Emit emit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '$' && i + 1 < text.size() && text[i + 1] == '<') {
            if (const std::size_t end = text.find('>', i + 2); end != std::string_view::npos) {
                i = end;
                continue;
            }
        }
        emit(text[i]);
    }
}

// Whether padding in `text` could join with bytes written after it: a "$<" not closed
// within text.
bool open_padding(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '$' || text[i + 1] != '<') continue;
        const std::size_t end = text.find('>', i + 2);
        if (end == std::string_view::npos) return true;
        i = end;
    }
    return !text.empty() && text.back() == '$';
}

bool plain_decimal(const NumberFormat& f) {
    return f.conversion == 'd' && !f.left && !f.alternate && !f.space && !f.zeros && f.width == 0 &&
           f.precision < 0;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_upper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool is_lower(char c) {
    return c >= 'a' && c <= 'z';
}

// Arithmetic as ncurses' int arithmetic gives it on two's complement machines, without
// the undefined behaviour of signed overflow.
int wrap(long long value) {
    return static_cast<int>(static_cast<unsigned>(static_cast<unsigned long long>(value)));
}

std::size_t digits(int value) {
    std::size_t count = value < 0 ? 2 : 1;
    for (long long v = value < 0 ? -static_cast<long long>(value) : value; v >= 10; v /= 10)
        ++count;
    return count;
}

// Where ncurses goes on after a %t whose condition is false (stop_at_else) or after a %e
// whose branch was taken: just past the %e or %; that ends the branch at this level, or the
// end of the text. `from` is the position after the operator's letter.
std::size_t skip_branch(std::string_view s, std::size_t from, bool stop_at_else) {
    int level = 0;
    std::size_t cp = from;
    while (cp < s.size()) {
        if (s[cp] == '%') {
            ++cp;
            if (cp >= s.size()) break;
            if (s[cp] == '?') {
                ++level;
            } else if (s[cp] == ';') {
                if (level == 0) return cp + 1;
                --level;
            } else if (s[cp] == 'e' && level == 0 && stop_at_else) {
                return cp + 1;
            }
        }
        ++cp;
    }
    return s.size();
}

// Reads the printf conversion ncurses builds for a number ("%", flags, width, precision,
// conversion) into *out; false when it is not one printf defines.
bool read_number_format(std::string_view format, NumberFormat& out) {
    std::size_t i = 1;
    for (; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '-') {
            out.left = true;
        } else if (c == '#') {
            out.alternate = true;
        } else if (c == ' ') {
            out.space = true;
        } else if (c == '0') {
            out.zeros = true;
        } else {
            break;
        }
    }
    auto read_digits = [&](int& value) {
        value = 0;
        for (; i < format.size() && is_digit(format[i]); ++i)
            value = value * 10 + (format[i] - '0');
    };
    read_digits(out.width);
    if (i < format.size() && format[i] == '.') {
        ++i;
        read_digits(out.precision);
    }
    if (i + 1 != format.size()) return false;
    out.conversion = format[i];
    return true;
}

// Writes value at out as printf would with the format f; the number of bytes, at most
// max(width, 3 + max(precision, 11)).
std::size_t format_number(char* out, const NumberFormat& f, int value) {
    char reversed[12];
    int count = 0;
    const bool decimal = f.conversion == 'd';
    const bool negative = decimal && value < 0;
    const unsigned magnitude =
        negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    const unsigned base = f.conversion == 'o' ? 8 : decimal ? 10 : 16;
    const char* alphabet = f.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    for (unsigned v = magnitude; v != 0; v /= base)
        reversed[count++] = alphabet[v % base];
    int zeros = std::max((f.precision < 0 ? 1 : f.precision) - count, 0);
    // Octal's alternate form starts with a 0 digit.
    if (f.alternate && f.conversion == 'o' && zeros == 0) zeros = 1;
    const char* prefix = "";
    if (negative) {
        prefix = "-";
    } else if (decimal && f.space) {
        prefix = " ";
    } else if (f.alternate && magnitude != 0 && f.conversion == 'x') {
        prefix = "0x";
    } else if (f.alternate && magnitude != 0 && f.conversion == 'X') {
        prefix = "0X";
    }
    const auto prefix_size = static_cast<int>(std::strlen(prefix));
    int padding = std::max(f.width - (prefix_size + zeros + count), 0);
    char* p = out;
    if (!f.left && f.zeros && f.precision < 0) {
        zeros += padding;
        padding = 0;
    }
    if (!f.left) p = std::fill_n(p, padding, ' ');
    p = std::copy_n(prefix, prefix_size, p);
    p = std::fill_n(p, zeros, '0');
    for (int k = count - 1; k >= 0; --k)
        *p++ = reversed[k];
    if (f.left) p = std::fill_n(p, padding, ' ');
    return static_cast<std::size_t>(p - out);
}

}  // namespace

std::string without_padding(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for_each_unpadded(text, [&](char byte) { plain.push_back(byte); });
    return plain;
}

ParamCapability::ParamCapability(const char* text) {
    if (text == nullptr) return;
    *this = ParamCapability(std::string_view(text));
}

ParamCapability::ParamCapability(std::string_view text) {
    // terminfo strings end at their first zero byte.
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    if (!parse(text)) {
        *this = ParamCapability();
        kind_ = Kind::refused;
        return;
    }
    const bool fixed = std::all_of(program_.begin(), program_.end(),
                                   [](const Instruction& i) { return i.op == Op::text; });
    if (fixed) {
        std::string bytes;
        for (const Instruction& i : program_)
            bytes.append(pool_, static_cast<std::size_t>(i.a), static_cast<std::size_t>(i.b));
        literal_ = without_padding(bytes);
        program_.clear();
        pool_.clear();
        kind_ = Kind::literal;
        max_length_ = literal_.size();
        return;
    }
    kind_ = Kind::numeric;
    make_pieces();
}

// Turns text into program_, or false when the text is refused. Follows the operators as
// ncurses' tparm reads them, and refuses where it would read strings or do nothing sensible.
bool ParamCapability::parse(std::string_view s) {
    std::vector<std::size_t> starts;  // where each instruction's text begins
    std::size_t bound = 0;
    bool pushes_parameters = false;
    bool pops = false;
    auto add = [&](Op op, std::size_t start, int a = 0, int b = 0) {
        program_.push_back({op, a, b});
        starts.push_back(start);
    };
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] != '%') {
            // Literal bytes up to the next operator, as one instruction.
            const std::size_t end = std::min(s.find('%', i), s.size());
            add(Op::text, i, static_cast<int>(pool_.size()), static_cast<int>(end - i));
            pool_.append(s, i, end - i);
            bound += end - i;
            i = end;
            continue;
        }
        const std::size_t start = i;
        // The printf flags, width and precision between % and a number's conversion, as
        // ncurses gathers them (a ':' lets '-' be a flag instead of a subtraction).
        std::string format = "%";
        bool allow_minus = false;
        bool dot = false;
        long value = 0;
        std::size_t j = i + 1;
        for (; j < s.size(); ++j) {
            const char c = s[j];
            if (c == '.') {
                if (dot) return false;
                dot = true;
                value = 0;
            } else if (c == ':') {
                allow_minus = true;
                continue;
            } else if (is_digit(c)) {
                value = value * 10 + (c - '0');
                if (value > static_cast<long>(capability_limit)) return false;
            } else if ((c != '-' || !allow_minus) && c != '#' && c != ' ') {
                break;
            }
            format.push_back(c);
        }
        if (j >= s.size()) return false;
        const char op = s[j];
        const bool formatted = format.size() > 1 || allow_minus;
        if (formatted && op != 'd' && op != 'o' && op != 'x' && op != 'X') return false;
        i = j + 1;
        switch (op) {
            case '%':
                add(Op::text, start, static_cast<int>(pool_.size()), 1);
                pool_.push_back('%');
                ++bound;
                break;
            case 'd':
            case 'o':
            case 'x':
            case 'X': {
                format.push_back(op);
                NumberFormat number;
                if (!read_number_format(format, number)) return false;
                add(Op::number, start, static_cast<int>(formats_.size()));
                formats_.push_back(number);
                // At most the width, or a sign, a 0x prefix and the digits (at least
                // `precision` of them, at most 11 for an int).
                bound += static_cast<std::size_t>(
                    std::max(number.width, 3 + std::max(number.precision, 11)));
                pops = true;
                break;
            }
            case 'c':
                add(Op::character, start);
                ++bound;
                pops = true;
                break;
            case 'p':
                if (i >= s.size() || s[i] < '1' || s[i] > '9') return false;
                add(Op::parameter, start, s[i] - '1');
                pushes_parameters = true;
                ++i;
                break;
            case 'P':
            case 'g':
                if (i >= s.size()) return false;
                if (is_upper(s[i])) {
                    add(op == 'P' ? Op::set_static : Op::get_static, start, s[i] - 'A');
                } else if (is_lower(s[i])) {
                    add(op == 'P' ? Op::set_dynamic : Op::get_dynamic, start, s[i] - 'a');
                } else {
                    return false;
                }
                pops = pops || op == 'P';
                ++i;
                break;
            case '\'':
                if (i + 1 >= s.size() || s[i + 1] != '\'') return false;
                add(Op::constant, start, static_cast<unsigned char>(s[i]));
                i += 2;
                break;
            case '{': {
                long long number = 0;
                std::size_t k = i;
                for (; k < s.size() && is_digit(s[k]); ++k) {
                    number = number * 10 + (s[k] - '0');
                    if (number > INT_MAX) return false;
                }
                if (k == i || k >= s.size() || s[k] != '}') return false;
                add(Op::constant, start, static_cast<int>(number));
                i = k + 1;
                break;
            }
            case '+':
            case '-':
            case '*':
            case '/':
            case 'm':
            case 'A':
            case 'O':
            case '&':
            case '|':
            case '^':
            case '=':
            case '<':
            case '>':
            case '!':
            case '~': {
                constexpr const char* letters = "+-*/mAO&|^=<>!~";
                constexpr Op ops[] = {Op::add,     Op::subtract,    Op::multiply,   Op::divide,
                                      Op::modulo,  Op::logical_and, Op::logical_or, Op::bit_and,
                                      Op::bit_or,  Op::bit_xor,     Op::equal,      Op::less,
                                      Op::greater, Op::logical_not, Op::bit_not};
                add(ops[std::strchr(letters, op) - letters], start);
                pops = true;
                break;
            }
            case 'i':
                add(Op::increment, start);
                break;
            case '?':
            case ';':
                add(Op::nothing, start);
                break;
            case 't':
                add(Op::then, start);
                pops = true;
                break;
            case 'e':
                add(Op::otherwise, start);
                break;
            default:
                // %s and %l take strings; anything else is not terminfo.
                return false;
        }
    }
    // Without any %p, ncurses pushes the parameters itself before it starts (termcap's
    // convention), which this interpreter does not follow.
    if (pops && !pushes_parameters) return false;
    if (bound > capability_limit) return false;
    max_length_ = bound;
    return link_conditionals(s, starts);
}

// Gives each %t and %e the instruction where ncurses goes on when it skips a branch.
bool ParamCapability::link_conditionals(std::string_view text,
                                        const std::vector<std::size_t>& starts) {
    for (std::size_t k = 0; k < program_.size(); ++k) {
        Instruction& instruction = program_[k];
        if (instruction.op != Op::then && instruction.op != Op::otherwise) continue;
        // The operator's letter ends the instruction: the next one starts after it.
        const std::size_t after = k + 1 < starts.size() ? starts[k + 1] : text.size();
        const std::size_t to = skip_branch(text, after, instruction.op == Op::then);
        if (to == text.size()) {
            instruction.a = static_cast<int>(program_.size());
            continue;
        }
        const auto found =
            std::find(starts.begin() + static_cast<std::ptrdiff_t>(k) + 1, starts.end(), to);
        if (found == starts.end()) return false;
        instruction.a = static_cast<int>(found - starts.begin());
    }
    return true;
}

// Literal text and the first two parameters in plain decimal (an ANSI cursor address):
// kept as pieces, so that a move costs a few stores.
void ParamCapability::make_pieces() {
    std::vector<Piece> pieces;
    bool incremented = false;
    std::string literal;
    for (std::size_t k = 0; k < program_.size(); ++k) {
        const Instruction& i = program_[k];
        if (i.op == Op::text) {
            literal.append(pool_, static_cast<std::size_t>(i.a), static_cast<std::size_t>(i.b));
            continue;
        }
        if (i.op == Op::increment) {
            incremented = true;
            continue;
        }
        if (i.op != Op::parameter || i.a > 1 || k + 1 >= program_.size() ||
            program_[k + 1].op != Op::number ||
            !plain_decimal(formats_[static_cast<std::size_t>(program_[k + 1].a)])) {
            return;
        }
        if (open_padding(literal)) return;
        if (!literal.empty()) pieces.push_back({without_padding(literal), 0, 0});
        literal.clear();
        pieces.push_back({"", i.a + 1, incremented ? 1 : 0});
        ++k;
    }
    if (!literal.empty()) pieces.push_back({without_padding(literal), 0, 0});

    pieces_ = std::move(pieces);
    pieces_only_ = true;
    for (const Piece& piece : pieces_) {
        literal_size_ += piece.text.size();
        if (piece.parameter == 1) {
            ++first_uses_;
            first_offset_ = piece.offset;
        } else if (piece.parameter == 2) {
            ++second_uses_;
            second_offset_ = piece.offset;
        }
    }
    // A parameter used twice with different offsets is measured piece by piece.
    for (const Piece& piece : pieces_) {
        if ((piece.parameter == 1 && piece.offset != first_offset_) ||
            (piece.parameter == 2 && piece.offset != second_offset_)) {
            first_uses_ = second_uses_ = -1;
        }
    }
}

// Runs the program with the parameters p1 and p2 (the others 0) into out, which has room
// for max_length_ bytes; the number of bytes written, padding still in.
std::size_t ParamCapability::run(char* out, int p1, int p2) const {
    int parameters[9] = {p1, p2};
    int stack[stack_size];
    int depth = 0;
    int statics[variable_count] = {};
    int dynamics[variable_count] = {};
    bool incremented = false;
    char* p = out;
    char* const end = out + max_length_;
    auto push = [&](int value) {
        if (depth < stack_size) stack[depth++] = value;
    };
    auto pop = [&]() { return depth > 0 ? stack[--depth] : 0; };

    const auto count = static_cast<int>(program_.size());
    for (int k = 0; k < count; ++k) {
        const Instruction& i = program_[static_cast<std::size_t>(k)];
        switch (i.op) {
            case Op::text: {
                const auto size =
                    std::min(static_cast<std::size_t>(i.b), static_cast<std::size_t>(end - p));
                p = std::copy_n(pool_.data() + i.a, size, p);
                break;
            }
            case Op::number: {
                char number[capability_limit + 16];
                const std::size_t size =
                    format_number(number, formats_[static_cast<std::size_t>(i.a)], pop());
                p = std::copy_n(number, std::min(size, static_cast<std::size_t>(end - p)), p);
                break;
            }
            case Op::character: {
                const int value = pop();
                // ncurses writes 0 as 0x80; a value whose low byte is 0 ends its string.
                const char byte = value == 0 ? '\x80' : static_cast<char>(value & 0xFF);
                if (byte == '\0') return static_cast<std::size_t>(p - out);
                if (p < end) *p++ = byte;
                break;
            }
            case Op::parameter:
                push(parameters[i.a]);
                break;
            case Op::set_static:
                statics[i.a] = pop();
                break;
            case Op::get_static:
                push(statics[i.a]);
                break;
            case Op::set_dynamic:
                dynamics[i.a] = pop();
                break;
            case Op::get_dynamic:
                push(dynamics[i.a]);
                break;
            case Op::constant:
                push(i.a);
                break;
            case Op::logical_not:
                push(pop() == 0 ? 1 : 0);
                break;
            case Op::bit_not:
                push(~pop());
                break;
            case Op::increment:
                if (!incremented) {
                    incremented = true;
                    parameters[0] = wrap(static_cast<long long>(parameters[0]) + 1);
                    parameters[1] = wrap(static_cast<long long>(parameters[1]) + 1);
                }
                break;
            case Op::then:
                if (pop() == 0) k = i.a - 1;
                break;
            case Op::otherwise:
                k = i.a - 1;
                break;
            case Op::nothing:
                break;
            default: {
                const long long y = pop();
                const long long x = pop();
                long long r = 0;
                switch (i.op) {
                    case Op::add:
                        r = x + y;
                        break;
                    case Op::subtract:
                        r = x - y;
                        break;
                    case Op::multiply:
                        r = x * y;
                        break;
                    case Op::divide:
                        r = y == 0 ? 0 : x / y;
                        break;
                    case Op::modulo:
                        r = y == 0 ? 0 : x % y;
                        break;
                    case Op::logical_and:
                        r = x != 0 && y != 0;
                        break;
                    case Op::logical_or:
                        r = x != 0 || y != 0;
                        break;
                    case Op::bit_and:
                        r = x & y;
                        break;
                    case Op::bit_or:
                        r = x | y;
                        break;
                    case Op::bit_xor:
                        r = x ^ y;
                        break;
                    case Op::equal:
                        r = x == y;
                        break;
                    case Op::less:
                        r = x < y;
                        break;
                    case Op::greater:
                        r = x > y;
                        break;
                    default:
                        break;
                }
                push(wrap(r));
                break;
            }
        }
    }
    return static_cast<std::size_t>(p - out);
}

std::size_t ParamCapability::length(int p1, int p2) const {
    switch (kind_) {
        case Kind::absent:
        case Kind::refused:
            return 0;
        case Kind::literal:
            return literal_.size();
        case Kind::numeric:
            break;
    }
    if (!pieces_only_) {
        char expansion[capability_limit];
        std::size_t size = 0;
        for_each_unpadded(std::string_view(expansion, run(expansion, p1, p2)),
                          [&](char) { ++size; });
        return size;
    }
    if (first_uses_ >= 0) {
        return literal_size_ +
               static_cast<std::size_t>(first_uses_) *
                   digits(wrap(static_cast<long long>(p1) + first_offset_)) +
               static_cast<std::size_t>(second_uses_) *
                   digits(wrap(static_cast<long long>(p2) + second_offset_));
    }
    std::size_t total = 0;
    for (const Piece& piece : pieces_) {
        if (piece.parameter == 0) {
            total += piece.text.size();
        } else {
            total +=
                digits(wrap(static_cast<long long>(piece.parameter == 1 ? p1 : p2) + piece.offset));
        }
    }
    return total;
}

char* ParamCapability::write(char* out, int p1, int p2) const {
    switch (kind_) {
        case Kind::absent:
        case Kind::refused:
            return out;
        case Kind::literal:
            return std::copy(literal_.begin(), literal_.end(), out);
        case Kind::numeric:
            break;
    }
    if (!pieces_only_) {
        char expansion[capability_limit];
        for_each_unpadded(std::string_view(expansion, run(expansion, p1, p2)),
                          [&](char byte) { *out++ = byte; });
        return out;
    }
    for (const Piece& piece : pieces_) {
        if (piece.parameter == 0) {
            out = std::copy(piece.text.begin(), piece.text.end(), out);
        } else {
            const int value =
                wrap(static_cast<long long>(piece.parameter == 1 ? p1 : p2) + piece.offset);
            out = std::to_chars(out, out + 12, value).ptr;
        }
    }
    return out;
}

}  // namespace term_internal
