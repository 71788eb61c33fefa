#include "term/frame_encoder.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include "term/termbox2.h"

namespace term_internal {

namespace {

constexpr unsigned attribute_bits[6] = {style_bold,   style_dim,   style_underline,
                                        style_italic, style_blink, style_reverse};
// ECMA-48's codes that start each attribute, and those that end it (22 ends bold and dim
// together).
constexpr int attribute_codes[6] = {1, 2, 4, 3, 5, 7};
constexpr int attribute_off_codes[6] = {22, 22, 24, 23, 25, 27};

// Cell equality as one 64-bit comparison: a cell is two 16-bit words beside a 32-bit one.
bool same_cell(const Cell& a, const Cell& b) {
    static_assert(sizeof(Cell) == sizeof(std::uint64_t) &&
                  std::has_unique_object_representations_v<Cell>);
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Which of the `count` (at most 8) cells from back and front differ, one bit each from the
// lowest: a whole block is compared at once, and most blocks of a frame have no change. A
// front cell the screen may not show (unknown_char) differs from every back cell.
unsigned changed_cells(const Cell* back, const Cell* front, int count) {
    unsigned changed = 0;
    if (count == 8) {
        for (int k = 0; k < 8; ++k)
            changed |= static_cast<unsigned>(!same_cell(back[k], front[k])) << k;
    } else {
        for (int k = 0; k < count; ++k)
            changed |= static_cast<unsigned>(!same_cell(back[k], front[k])) << k;
    }
    return changed;
}

// More than any move can cost: the plan that costs this is never taken.
constexpr std::size_t unreachable = unreachable_cost;

constexpr CellStyle default_style{-1, -1, 0};

// The parameter n of an SGR sequence "ESC [ n m", or -1 for any other text.
int sgr_parameter(const std::string& text) {
    if (text.size() < 4 || text.compare(0, 2, "\x1b[") != 0 || text.back() != 'm') return -1;
    int value = -1;
    const char* first = text.data() + 2;
    const char* last = text.data() + text.size() - 1;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc{} && end == last ? value : -1;
}

// Whether `capability` writes exactly "ESC [ code m" for the parameter `parameter`.
bool writes_sgr(const ParamCapability& capability, int parameter, int code) {
    char written[capability_limit];
    const std::string expected = "\x1b[" + std::to_string(code) + "m";
    return std::string_view(written, static_cast<std::size_t>(capability.write(written, parameter) -
                                                              written)) == expected;
}

char* put(char* out, const std::string& text) {
    return std::copy(text.begin(), text.end(), out);
}

char* put_number(char* out, int value) {
    return std::to_chars(out, out + 12, value).ptr;
}

int foreground_code(int colour) {
    return colour < 0 ? 39 : colour < 8 ? 30 + colour : 90 + colour - 8;
}

int background_code(int colour) {
    return colour < 0 ? 49 : colour < 8 ? 40 + colour : 100 + colour - 8;
}

std::size_t decimal_size(int value) {
    std::size_t size = 1;
    for (; value >= 10; value /= 10)
        ++size;
    return size;
}

// The length of put_sgr's sequence for the same codes (all of them at least 0).
std::size_t sgr_size(const int* codes, std::size_t count) {
    std::size_t size = count > 0 ? 2 + count : 3;
    for (std::size_t i = 0; i < count; ++i)
        size += decimal_size(codes[i]);
    return size;
}

// "ESC [ c1 ; c2 ... m", or "ESC [ m" without codes.
char* put_sgr(char* out, const int* codes, std::size_t count) {
    *out++ = '\x1b';
    *out++ = '[';
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) *out++ = ';';
        out = put_number(out, codes[i]);
    }
    *out++ = 'm';
    return out;
}

}  // namespace

// The work of one encode: the buffers, the model and the write position.
struct EncodeRun {
    const FrameEncoder& encoder;
    const TerminalDescription& d;
    const MoveCosts& costs;
    CellBuffers& b;
    ScreenModel& m;
    char* p;
    EncodeStats stats{};

    enum class Horizontal : std::uint8_t {
        none,
        rewrite,       // write the cells in between again
        right,         // cuf n
        left_steps,    // cub1, n times
        left_by,       // cub n
        column,        // hpa
        home_rewrite,  // carriage return, then write the cells from the first column
        home_right,    // carriage return, then cuf n
    };

    struct HorizontalPlan {
        std::size_t cost = unreachable;
        Horizontal how = Horizontal::none;
    };

    // The last attribute words looked up, since neighbouring cells mostly share theirs.
    uintattr_t looked_up_fg = 0;
    uintattr_t looked_up_bg = 0;
    CellStyle looked_up = default_style;

    CellStyle wanted_style(const Cell& cell) {
        if (cell.fg != looked_up_fg || cell.bg != looked_up_bg) {
            looked_up = cell_style(cell.fg, cell.bg, d.colours);
            looked_up.attributes &= encoder.available_;
            looked_up_fg = cell.fg;
            looked_up_bg = cell.bg;
        }
        return looked_up;
    }

    // Whether a cell in style `wanted` looks the same when written in style `current`:
    // on a blank without reverse video only the background and underline show.
    static bool shows_same(const CellStyle& current, const CellStyle& wanted, bool blank) {
        if (!blank || (wanted.attributes & style_reverse) != 0) return current == wanted;
        return current.bg == wanted.bg &&
               (current.attributes & (style_reverse | style_underline)) ==
                   (wanted.attributes & style_underline);
    }

    // The style to write a cell in: its own, or for a blank the style in force with only
    // what shows on a blank changed, so that a colour is not switched off and on around it.
    CellStyle target_style(const CellStyle& wanted, bool blank) const {
        if (!blank || !m.style_known || (wanted.attributes & style_reverse) != 0) return wanted;
        CellStyle style = m.style;
        style.bg = wanted.bg;
        style.attributes = (style.attributes & ~(style_reverse | style_underline)) |
                           (wanted.attributes & style_underline);
        return style;
    }

    void set_style(const CellStyle& to) {
        if (m.style_known && m.style == to) return;
        if (!encoder.ansi_) {
            put_generic_style(to);
        } else {
            if (!m.style_known) {
                p = put(p, d.reset_style);
                m.style = default_style;
            }
            if (m.style != to) put_ansi_change(m.style, to);
        }
        m.style = to;
        m.style_known = true;
    }

    // sgr0, each attribute's capability, then the colours with the description's own
    // capabilities. Whatever stays of the style before is written again: an attribute
    // string need not be an SGR sequence that another undoes.
    void put_generic_style(const CellStyle& to) {
        p = put(p, d.reset_style);
        const std::string* capabilities[6] = {&d.bold,   &d.dim,   &d.underline,
                                              &d.italic, &d.blink, &d.reverse};
        for (int i = 0; i < 6; ++i) {
            if ((to.attributes & attribute_bits[i]) != 0) p = put(p, *capabilities[i]);
        }
        if (to.fg >= 0) p = d.foreground.write(p, description_colour(d, to.fg));
        if (to.bg >= 0) p = d.background.write(p, description_colour(d, to.bg));
    }

    // The shorter of a reset with the whole new style and the changes alone.
    void put_ansi_change(const CellStyle& from, const CellStyle& to) {
        int full[10];
        std::size_t full_count = 0;
        if (to != default_style) {
            full[full_count++] = 0;
            for (int i = 0; i < 6; ++i) {
                if ((to.attributes & attribute_bits[i]) != 0)
                    full[full_count++] = attribute_codes[i];
            }
            if (to.fg >= 0) full[full_count++] = foreground_code(to.fg);
            if (to.bg >= 0) full[full_count++] = background_code(to.bg);
        }

        int changes[16];
        std::size_t change_count = 0;
        const unsigned removed = from.attributes & ~to.attributes;
        unsigned added = to.attributes & ~from.attributes;
        if ((removed & (style_bold | style_dim)) != 0) {
            changes[change_count++] = 22;
            added |= to.attributes & (style_bold | style_dim);
        }
        for (int i = 2; i < 6; ++i) {
            if ((removed & attribute_bits[i]) != 0)
                changes[change_count++] = attribute_off_codes[i];
        }
        for (int i = 0; i < 6; ++i) {
            if ((added & attribute_bits[i]) != 0) changes[change_count++] = attribute_codes[i];
        }
        if (from.fg != to.fg) changes[change_count++] = foreground_code(to.fg);
        if (from.bg != to.bg) changes[change_count++] = background_code(to.bg);

        p = sgr_size(changes, change_count) <= sgr_size(full, full_count)
                ? put_sgr(p, changes, change_count)
                : put_sgr(p, full, full_count);
    }

    // The bytes that write cells [from, to) of row y again as the screen shows them, or
    // `unreachable` when one is unknown, shows differently in the style in force, or the
    // count reaches `limit`.
    std::size_t rewrite_cost(int y, int from, int to, std::size_t limit) {
        if (!m.style_known) return unreachable;
        std::size_t cost = 0;
        for (int x = from; x < to; ++x) {
            const Cell& cell = b.front[b.index(x, y)];
            if (cell.ch == unknown_char) return unreachable;
            const std::uint32_t shown = display_char(cell.ch);
            if (!shows_same(m.style, wanted_style(cell), shown == ' ')) return unreachable;
            cost += utf8_length(shown);
            if (cost >= limit) return unreachable;
        }
        return cost;
    }

    void rewrite(int y, int from, int to) {
        stats.rewritten += static_cast<std::size_t>(to - from);
        for (int x = from; x < to; ++x)
            p = put_utf8(p, display_char(b.front[b.index(x, y)].ch));
    }

    static void consider(HorizontalPlan& best, std::size_t cost, Horizontal how) {
        if (cost < best.cost) best = {cost, how};
    }

    // The cheapest way from column `from` to column `to` on row y, costing less than
    // `limit`.
    HorizontalPlan horizontal(int y, int from, int to, std::size_t limit) {
        if (from == to) return {0, Horizontal::none};
        HorizontalPlan best{limit, Horizontal::none};
        consider(best, costs.column[to], Horizontal::column);
        if (to > from) {
            consider(best, costs.right[to - from], Horizontal::right);
            // Every cell written again costs at least a byte.
            if (static_cast<std::size_t>(to - from) < best.cost)
                consider(best, rewrite_cost(y, from, to, best.cost), Horizontal::rewrite);
        } else {
            const auto steps = static_cast<std::size_t>(from - to);
            if (!d.left.empty()) consider(best, d.left.size() * steps, Horizontal::left_steps);
            consider(best, costs.left_by[from - to], Horizontal::left_by);
            const std::size_t cr = d.line_start.size();
            if (cr > 0 && cr < best.cost) {
                if (to > 0) consider(best, cr + costs.right[to], Horizontal::home_right);
                if (static_cast<std::size_t>(to) < best.cost - cr)
                    consider(best, cr + rewrite_cost(y, 0, to, best.cost - cr),
                             Horizontal::home_rewrite);
            }
        }
        if (best.how == Horizontal::none) best.cost = unreachable;
        return best;
    }

    void put_horizontal(int y, int from, int to, Horizontal how) {
        switch (how) {
            case Horizontal::none:
                break;
            case Horizontal::rewrite:
                rewrite(y, from, to);
                break;
            case Horizontal::right:
                p = d.right.write(p, to - from);
                break;
            case Horizontal::left_steps:
                for (int i = to; i < from; ++i)
                    p = put(p, d.left);
                break;
            case Horizontal::left_by:
                p = d.left_by.write(p, from - to);
                break;
            case Horizontal::column:
                p = d.column.write(p, to);
                break;
            case Horizontal::home_rewrite:
                p = put(p, d.line_start);
                rewrite(y, 0, to);
                break;
            case Horizontal::home_right:
                p = put(p, d.line_start);
                p = d.right.write(p, to);
                break;
        }
    }

    std::size_t address_cost(int y, int x) const {
        return costs.separable_address ? costs.address_row[y] + costs.address_column[x]
                                       : d.move.length(y, x);
    }

    void put_down(int rows) {
        if (d.down_by.present() &&
            (d.down.empty() ||
             d.down_by.length(rows) < d.down.size() * static_cast<std::size_t>(rows))) {
            p = d.down_by.write(p, rows);
            return;
        }
        for (int i = 0; i < rows; ++i)
            p = put(p, d.down);
    }

    // Writes cells [from, to) of row y again, as rewrite does, when that costs less than
    // any jump; otherwise writes nothing and returns false. One pass: the bytes are written
    // as the cells are checked, and taken back when one does not qualify.
    bool rewrite_gap(int y, int from, int to) {
        if (!m.style_known) return false;
        char* const start = p;
        const Cell* cell = &b.front[b.index(from, y)];
        for (int x = from; x < to; ++x, ++cell) {
            const std::uint32_t shown = display_char(cell->ch);
            if (cell->ch == unknown_char ||
                !shows_same(m.style, wanted_style(*cell), shown == ' ')) {
                p = start;
                return false;
            }
            p = put_utf8(p, shown);
        }
        if (static_cast<std::size_t>(p - start) < encoder.shortest_jump_) {
            stats.rewritten += static_cast<std::size_t>(to - from);
            return true;
        }
        p = start;
        return false;
    }

    // Moves the cursor to (x, y). Mostly it is there already or a few cells to the left on
    // the same row, where the cells in between are written again.
    void move_to(int x, int y) {
        const CursorModel c = m.cursor;
        if (c.kind == CursorModel::Kind::known && c.y == y && c.x <= x) {
            if (c.x == x) return;
            if (x - c.x < static_cast<int>(encoder.shortest_jump_) && rewrite_gap(y, c.x, x)) {
                m.cursor.x = x;
                return;
            }
        }
        jump_to(x, y);
    }

    // A way to the cell a move goes to, and what it costs.
    struct MovePlan {
        enum class Way : std::uint8_t {
            address,       // the absolute address
            home,          // home, to the top left cell
            across,        // from the cursor: carriage return or not, down, then along
            continuation,  // after a deferred wrap: the first cells of the next row again
        };
        Way way = Way::address;
        std::size_t cost = unreachable;
        bool line_start = false;  // across: first back to the first column
        int rows_down = 0;        // across: then down so many rows
        int from_column = 0;      // across: then along the row from this column
        HorizontalPlan along;

        // A plan of one step, for every way but across.
        static MovePlan one_step(Way way, std::size_t cost) {
            MovePlan plan;
            plan.way = way;
            plan.cost = cost;
            return plan;
        }
    };

    // The way across to (x, y) from (start_column, start_row), first back to the first
    // column when `line_start`, in place of `best` when it costs less.
    void consider_across(MovePlan& best, bool line_start, int start_row, int start_column, int x,
                         int y) {
        const std::size_t cr = line_start ? d.line_start.size() : 0;
        if (line_start && cr == 0) return;
        const int rows = y - start_row;
        const std::size_t vertical = rows == 0 ? 0 : costs.down[rows];
        if (cr + vertical >= best.cost) return;
        const int column = line_start ? 0 : start_column;
        const HorizontalPlan along = horizontal(y, column, x, best.cost - cr - vertical);
        if (along.cost == unreachable || cr + vertical + along.cost >= best.cost) return;
        best = {MovePlan::Way::across, cr + vertical + along.cost, line_start, rows, column, along};
    }

    // The cheapest way to (x, y) of: the absolute address; from a known cursor, down
    // (first back to the first column, or not) and then across; after a deferred wrap, on
    // into the next row by writing its first cells again.
    MovePlan plan_move(int x, int y) {
        const CursorModel c = m.cursor;
        MovePlan best = MovePlan::one_step(MovePlan::Way::address, address_cost(y, x));
        if (x == 0 && y == 0 && !d.home.empty() && d.home.size() < best.cost)
            best = MovePlan::one_step(MovePlan::Way::home, d.home.size());
        if (c.kind == CursorModel::Kind::known && y >= c.y) {
            consider_across(best, false, c.y, c.x, x, y);
            if (y > c.y) consider_across(best, true, c.y, c.x, x, y);
        } else if (c.kind == CursorModel::Kind::wrap_pending && y >= c.y) {
            if (y == c.y + 1) {
                const std::size_t cost = rewrite_cost(y, 0, x, best.cost);
                if (cost < best.cost) best = MovePlan::one_step(MovePlan::Way::continuation, cost);
            }
            consider_across(best, true, c.y, 0, x, y);
        }
        return best;
    }

    void put_move(const MovePlan& plan, int x, int y) {
        switch (plan.way) {
            case MovePlan::Way::address:
                p = d.move.write(p, y, x);
                break;
            case MovePlan::Way::home:
                p = put(p, d.home);
                break;
            case MovePlan::Way::across:
                if (plan.line_start) p = put(p, d.line_start);
                if (plan.rows_down > 0) put_down(plan.rows_down);
                put_horizontal(y, plan.from_column, x, plan.along.how);
                break;
            case MovePlan::Way::continuation:
                // The first character written wraps to the start of row y; with none to
                // write again, the cell's own character does.
                if (x == 0) return;
                rewrite(y, 0, x);
                break;
        }
        m.cursor = {CursorModel::Kind::known, x, y};
    }

    // Out of line: most cells need no more than move_to's first steps.
    [[gnu::noinline]] void jump_to(int x, int y) {
        ++stats.moves;
        put_move(plan_move(x, y), x, y);
    }

    // The cursor after a character written at (x, y).
    void advance(int x, int y) {
        if (x + 1 < b.width) {
            m.cursor = {CursorModel::Kind::known, x + 1, y};
        } else if (!d.auto_margins) {
            m.cursor = {CursorModel::Kind::known, x, y};
        } else if (d.deferred_wrap) {
            m.cursor = {CursorModel::Kind::wrap_pending, x, y};
        } else if (y + 1 < b.height) {
            m.cursor = {CursorModel::Kind::known, 0, y + 1};
        } else {
            m.cursor = {};
        }
    }

    // Moves to the cell, sets its style and writes its character.
    void put_cell(int x, int y, const Cell& cell) {
        const std::uint32_t shown = display_char(cell.ch);
        const bool blank = shown == ' ';
        const CellStyle wanted = wanted_style(cell);
        move_to(x, y);
        if (!m.style_known || !shows_same(m.style, wanted, blank))
            set_style(target_style(wanted, blank));
        p = put_utf8(p, shown);
        advance(x, y);
    }

    void write_cell(int x, int y) {
        ++stats.written;
        const std::size_t i = b.index(x, y);
        const Cell cell = b.back[i];
        b.front[i] = cell;
        const bool bottom_right = x == b.width - 1 && y == b.height - 1;
        if (!bottom_right || !d.auto_margins || d.deferred_wrap) {
            put_cell(x, y, cell);
            return;
        }
        // Writing the last cell would move the cursor past the end of the screen and
        // scroll it: with auto-margins off for that one character, or by writing it one
        // column to the left and pushing it into place with an inserted character.
        if (!d.margins_off.empty() && !d.margins_on.empty()) {
            move_to(x, y);
            p = put(p, d.margins_off);
            put_cell(x, y, cell);
            p = put(p, d.margins_on);
            m.cursor = {};
            return;
        }
        const bool can_insert = !d.insert_one.empty() || d.insert_some.present() ||
                                (!d.insert_on.empty() && !d.insert_off.empty());
        // Otherwise (no way to insert, or no column to the left) the cell stays as it is.
        if (x == 0 || !can_insert) return;
        const std::size_t left = b.index(x - 1, y);
        const Cell neighbour = b.back[left];
        b.front[left] = neighbour;
        put_cell(x - 1, y, cell);
        move_to(x - 1, y);
        if (!d.insert_one.empty()) {
            p = put(p, d.insert_one);
            put_cell(x - 1, y, neighbour);
        } else if (d.insert_some.present()) {
            p = d.insert_some.write(p, 1);
            put_cell(x - 1, y, neighbour);
        } else {
            p = put(p, d.insert_on);
            put_cell(x - 1, y, neighbour);
            p = put(p, d.insert_off);
        }
        m.cursor = {CursorModel::Kind::known, x, y};
    }
};

FrameEncoder::FrameEncoder(const TerminalDescription& description) : description_(&description) {
    const TerminalDescription& d = description;
    const std::string* capabilities[6] = {&d.bold,   &d.dim,   &d.underline,
                                          &d.italic, &d.blink, &d.reverse};
    // A terminal whose cursor address begins with CSI takes ECMA-48 control sequences.
    char address[capability_limit];
    synchronized_ = d.move.present() &&
                    std::string_view(address, d.move.write(address, 0, 0)).starts_with("\x1b[");
    // SGR sequences are composed here only where the description's own strings are SGR
    // with ECMA-48's codes: an SGR reset ("ESC [ m", "ESC [ 0 m", or "ESC [ 0 ; 10 m" with
    // more resets after it), each attribute "ESC [ n m" with its standard n, and every
    // colour in use as setaf and setab write it.
    bool sgr = d.reset_style.find("\x1b[m") != std::string::npos ||
               d.reset_style.find("\x1b[0m") != std::string::npos ||
               d.reset_style.find("\x1b[0;") != std::string::npos;
    std::size_t attributes_size = 0;
    for (int i = 0; i < 6; ++i) {
        if (capabilities[i]->empty()) continue;
        available_ |= attribute_bits[i];
        attributes_size += capabilities[i]->size();
        if (sgr_parameter(*capabilities[i]) != attribute_codes[i]) sgr = false;
    }
    const int colours_in_use = d.colours >= 16 ? 16 : d.colours >= 8 ? 8 : 0;
    for (int c = 0; c < colours_in_use && sgr; ++c) {
        const int parameter = description_colour(d, c);
        sgr = writes_sgr(d.foreground, parameter, foreground_code(c)) &&
              writes_sgr(d.background, parameter, background_code(c));
    }
    ansi_ = sgr;
    if (ansi_) {
        // The reset, and the longer of the two SGR sequences put_ansi_change weighs.
        style_bound_ = d.reset_style.size() + 48 + attributes_size;
    } else {
        style_bound_ = d.reset_style.size() + attributes_size + d.foreground.max_length() +
                       d.background.max_length();
    }
    shortest_jump_ = d.move.length(0, 0);
    if (d.right.present()) shortest_jump_ = std::min(shortest_jump_, d.right.length(1));
    if (d.column.present()) shortest_jump_ = std::min(shortest_jump_, d.column.length(0));
}

std::size_t FrameEncoder::cell_bytes_bound(int /*w*/, int /*h*/) const {
    if (description_ == nullptr) return 0;
    const TerminalDescription& d = *description_;
    // Every way to a cell costs less than the absolute address there (or home), and no
    // address is longer than its capability's max_length, whatever the position.
    const std::size_t move = std::max(d.move.max_length(), d.home.size());
    const std::size_t one = move + style_bound_ + 4;
    return 2 * one + d.margins_off.size() + d.margins_on.size() + d.insert_one.size() +
           d.insert_some.max_length() + d.insert_on.size() + d.insert_off.size();
}

bool MoveCosts::measure(const TerminalDescription& d, int w, int h) {
    const auto columns = static_cast<std::size_t>(std::max(w, 1));
    const auto rows = static_cast<std::size_t>(std::max(h, 1));
    std::unique_ptr<std::size_t[]> block(new (std::nothrow) std::size_t[4 * columns + 2 * rows]);
    if (block == nullptr) return false;
    std::size_t* address_rows = block.get();
    std::size_t* address_columns = address_rows + rows;
    std::size_t* columns_at = address_columns + columns;
    std::size_t* rights = columns_at + columns;
    std::size_t* lefts = rights + columns;
    std::size_t* downs = lefts + columns;
    auto cost_of = [](const ParamCapability& capability, int n) {
        return capability.present() ? capability.length(n) : unreachable;
    };
    separable_address = d.move.separable();
    const std::size_t origin = d.move.length(0, 0);
    for (std::size_t y = 0; y < rows; ++y) {
        const int n = static_cast<int>(y);
        address_rows[y] = d.move.length(n, 0);
        downs[y] = d.down.empty() ? unreachable : d.down.size() * y;
        downs[y] = std::min(downs[y], cost_of(d.down_by, n));
    }
    for (std::size_t x = 0; x < columns; ++x) {
        const int n = static_cast<int>(x);
        address_columns[x] = d.move.length(0, n) - origin;
        columns_at[x] = cost_of(d.column, n);
        rights[x] = cost_of(d.right, n);
        lefts[x] = cost_of(d.left_by, n);
    }
    table = std::move(block);
    address_row = address_rows;
    address_column = address_columns;
    column = columns_at;
    right = rights;
    left_by = lefts;
    down = downs;
    width = w;
    height = h;
    return true;
}

bool OutputBuffer::reserve_more(std::size_t more) {
    if (capacity - size >= more) return true;
    std::size_t grown = std::max<std::size_t>(capacity, 4096);
    while (grown - size < more)
        grown *= 2;
    // Not value-initialised: pages never written cost no memory.
    char* bigger = new (std::nothrow) char[grown];
    if (bigger == nullptr) return false;
    if (size > 0) std::copy_n(data.get(), size, bigger);
    data.reset(bigger);
    capacity = grown;
    return true;
}

int FrameEncoder::encode(CellBuffers& buffers, ScreenModel& model, OutputBuffer& out,
                         EncodeStats* stats) const {
    if (description_ == nullptr) return TB_ERR;
    constexpr std::size_t begin_size = sizeof begin_update - 1;
    constexpr std::size_t end_size = sizeof end_update - 1;
    // Room checked before each changed cell: the cell, and the ends of the update around it.
    const std::size_t room =
        begin_size + cell_bytes_bound(buffers.width, buffers.height) + end_size;
    if ((costs_.width != buffers.width || costs_.height != buffers.height) &&
        !costs_.measure(*description_, buffers.width, buffers.height)) {
        return TB_ERR_MEM;
    }
    EncodeRun run{*this, *description_, costs_, buffers, model, out.data.get() + out.size};
    const char* limit = out.data.get() + out.capacity - std::min(room, out.capacity);
    bool begun = false;
    int rc = TB_OK;
    const Cell* back = buffers.back.data();
    const Cell* front = buffers.front.data();
    for (int y = 0; y < buffers.height && rc == TB_OK; ++y) {
        const std::size_t row = buffers.index(0, y);
        for (int block = 0; block < buffers.width && rc == TB_OK; block += 8) {
            const std::size_t first = row + static_cast<std::size_t>(block);
            for (unsigned changed =
                     changed_cells(back + first, front + first, std::min(8, buffers.width - block));
                 changed != 0; changed &= changed - 1) {
                if (run.p > limit || out.capacity < room) {
                    out.size = static_cast<std::size_t>(run.p - out.data.get());
                    if (!out.reserve_more(room)) {
                        rc = TB_ERR_MEM;
                        break;
                    }
                    run.p = out.data.get() + out.size;
                    limit = out.data.get() + out.capacity - room;
                }
                if (!begun) {
                    begun = true;
                    if (synchronized_) run.p = std::copy_n(begin_update, begin_size, run.p);
                }
                run.write_cell(block + std::countr_zero(changed), y);
            }
        }
    }
    if (begun && synchronized_) run.p = std::copy_n(end_update, end_size, run.p);
    out.size = static_cast<std::size_t>(run.p - out.data.get());
    if (stats != nullptr) {
        *stats = run.stats;
        stats->skipped = buffers.back.size() - run.stats.written;
    }
    return rc;
}

}  // namespace term_internal
