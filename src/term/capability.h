#pragma once

// A parameterised capability string of a terminal description (a cursor address, a move
// by n cells, a colour), checked before it is ever expanded. The description is input
// the program does not control, so the text's `%` language is parsed here, and the
// capability is sorted into one of: literal (it takes no parameter), numeric (integer
// parameters only, expanded by our own interpreter, byte for byte as ncurses' tiparm
// does), or refused (string parameters, %l, an unknown or malformed operator, or an
// expansion that could exceed `capability_limit`), which the layer treats as absent.
// Internal to src/term.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace term_internal {

// The most bytes one expansion of a capability may ever write. The parameterised
// capabilities of Debian's descriptions that the layer uses stay well below it (the
// longest, a direct-colour setab, can write 103 bytes); a longer one is refused, which
// keeps the renderer's bound per cell, and with it the output buffer, small whatever a
// description says.
inline constexpr std::size_t capability_limit = 256;

// How a %d, %o, %x or %X prints its number: printf's flags, width and precision.
struct NumberFormat {
    char conversion = 'd';
    bool left = false;       // -
    bool alternate = false;  // #
    bool space = false;      // ' '
    bool zeros = false;      // 0
    int width = 0;
    int precision = -1;  // -1 when not given
};

class ParamCapability {
  public:
    enum class Kind : std::uint8_t {
        absent,   // the description has no such capability
        refused,  // the layer cannot expand it safely
        literal,  // fixed text, whatever the parameters
        numeric,  // expanded from integer parameters
    };

    ParamCapability() = default;

    // Parses `text` as terminfo gives it (bytes up to the first zero byte, with padding),
    // or makes an absent capability when text is null. Allocates; fails only by throwing
    // std::bad_alloc.
    explicit ParamCapability(const char* text);
    explicit ParamCapability(std::string_view text);

    [[nodiscard]] Kind kind() const { return kind_; }

    // Whether the capability takes parameters and can be expanded (Kind::numeric): the
    // only kind the layer moves the cursor or sets colours with.
    [[nodiscard]] bool present() const { return kind_ == Kind::numeric; }

    // Whether the length of an expansion is the sum of a part that depends on p1 alone and
    // one that depends on p2 alone: length(p1, p2) == length(p1, 0) + length(0, p2) -
    // length(0, 0) for every p1 and p2. True of literal text with decimal parameters (an
    // ANSI cursor address), so that a table per parameter measures every expansion.
    [[nodiscard]] bool separable() const {
        return kind_ == Kind::literal || (pieces_only_ && first_uses_ >= 0);
    }

    // The number of bytes that write(p1, p2) produces; 0 unless literal or numeric.
    [[nodiscard]] std::size_t length(int p1, int p2 = 0) const;

    // Writes the expansion with the parameters p1 and p2, without padding, at out and
    // returns the end of what it wrote: never more than max_length() bytes, whatever the
    // parameters. Writes nothing unless literal or numeric. Allocates nothing.
    char* write(char* out, int p1, int p2 = 0) const;

    // A true upper bound of what one write produces for any parameters; at most
    // capability_limit.
    [[nodiscard]] std::size_t max_length() const { return max_length_; }

  private:
    enum class Op : std::uint8_t {
        text,       // the bytes pool_[a, a + b)
        number,     // pops, prints it as formats_[a] says
        character,  // pops, writes one byte (0 becomes 0x80, as ncurses does)
        parameter,  // pushes parameter a (0 to 8)
        set_static,
        get_static,
        set_dynamic,
        get_dynamic,
        constant,  // pushes a
        add,
        subtract,
        multiply,
        divide,
        modulo,
        logical_and,
        logical_or,
        bit_and,
        bit_or,
        bit_xor,
        equal,
        less,
        greater,
        logical_not,
        bit_not,
        increment,  // %i: the first two parameters plus one, the first time only
        then,       // pops; when zero, goes on at op a
        otherwise,  // goes on at op a
        nothing,    // %? and %;
    };

    struct Instruction {
        Op op;
        int a;
        int b;
    };

    // One piece of a capability that is literal text and decimal parameters only.
    struct Piece {
        std::string text;  // literal bytes, padding taken out; empty for a parameter
        int parameter;     // 0 for text, 1 or 2 for that parameter in decimal
        int offset;        // added to the parameter (terminfo's %i adds 1)
    };

    bool parse(std::string_view text);
    bool link_conditionals(std::string_view text, const std::vector<std::size_t>& starts);
    void make_pieces();
    std::size_t run(char* out, int p1, int p2) const;

    Kind kind_ = Kind::absent;
    std::size_t max_length_ = 0;
    std::string literal_;  // Kind::literal: the text without padding
    std::string pool_;     // the bytes of the text instructions
    std::vector<NumberFormat> formats_;
    std::vector<Instruction> program_;
    bool pieces_only_ = false;  // expanded from pieces_, without the interpreter
    std::vector<Piece> pieces_;
    std::size_t literal_size_ = 0;  // the literal bytes of all pieces
    int first_uses_ = 0;            // how often each parameter appears, and with which offset
    int first_offset_ = 0;
    int second_uses_ = 0;
    int second_offset_ = 0;
};

// The text of a capability string with its padding ($<5>, $<2*/>) taken out.
std::string without_padding(std::string_view text);

}  // namespace term_internal
