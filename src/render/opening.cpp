#include "render/opening.h"

#include <array>
#include <mutex>

#include "core/sleep.h"
#include "core/terminal_lock.h"
#include "render/symbols.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

constexpr std::array<const char*, 4> name_letters = {"G", "O", "R", "V"};
constexpr std::array<std::uint32_t, 4> name_reveal_steps = {6, 11, 16, 21};

// The box glyph of one step and its offset from the centre.
struct GlyphStep {
    const char* glyph;
    int dx;
    int dy;
};

// One lap around the name, clockwise from the left side; the sequence starts a second
// lap at step 16.
constexpr std::array<GlyphStep, 16> lap = {{
    {"│", -4, 0},
    {"┌", -4, -1},
    {"─", -3, -1},
    {"─", -2, -1},
    {"─", -1, -1},
    {"─", 0, -1},
    {"─", 1, -1},
    {"┐", 3, -1},
    {"│", 3, 0},
    {"┘", 3, 1},
    {"─", 2, 1},
    {"─", 1, 1},
    {"─", 0, 1},
    {"─", -1, 1},
    {"─", -2, 1},
    {"└", -4, 1},
}};

// centre + offset in unsigned 32-bit arithmetic: a position left of or above 0 wraps.
constexpr std::uint32_t offset(std::uint32_t centre, int delta) {
    return centre + static_cast<std::uint32_t>(delta);
}

}  // namespace

Status draw_opening_step(RenderState& state, std::uint32_t k) {
    const std::uint32_t w = state.width / 2;
    const std::uint32_t h = state.height / 2;
    for (std::uint32_t i = 0; i < name_letters.size(); ++i) {
        const std::uint32_t x = offset(w, static_cast<int>(i) - 2);
        if (k >= name_reveal_steps[i]) {
            put_cell(state.debug, x, h, state.fg | TB_BOLD, state.bg, name_letters[i]);
            continue;
        }
        const Symbol symbol = new_symbol(state, false);
        const Result<const char*> text = symbol_text(symbol.value, state.mode);
        if (!text) return std::unexpected(text.error());
        put_cell(state.debug, x, h, symbol.fg, symbol.bg, *text);
    }
    const GlyphStep& step = lap[k % lap.size()];
    put_cell(state.debug, offset(w, step.dx), offset(h, step.dy), state.fg, state.bg, step.glyph);
    return {};
}

Status show_opening(RenderState& state) {
    for (std::uint32_t k = 0; k < opening_steps; ++k) {
        sleep_nanoseconds(opening_step_ns);
        std::lock_guard terminal(terminal_lock());
        (void)tb_clear();
        if (Status drawn = draw_opening_step(state, k); !drawn) return drawn;
        (void)tb_present();
    }
    return {};
}

}  // namespace gorv
