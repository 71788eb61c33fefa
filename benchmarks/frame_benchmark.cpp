// One frame body of each style drawn into an in-memory screen of 80 x 24 and 320 x 100.
// Each iteration times the body alone (no tb_clear, no tb_present: the body's cost does
// not depend on what the back buffer holds); "ns_per_cell" is that time per screen cell.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/render_state.h"
#include "render/styles.h"
#include "term/memory_screen.h"
#include "term/termbox2.h"

namespace {

void frame_body(benchmark::State& bench, gorv::Style style, gorv::Mode mode, bool accents) {
    const auto width = static_cast<std::uint32_t>(bench.range(0));
    const auto height = static_cast<std::uint32_t>(bench.range(1));
    if (term_test::memory_screen_open(static_cast<int>(width), static_cast<int>(height)) != TB_OK) {
        bench.SkipWithError("memory screen");
        return;
    }
    gorv::RenderState state;
    state.style = style;
    state.mode = mode;
    state.width = width;
    state.height = height;
    state.fg = TB_GREEN;
    if (accents) state.accents = std::vector{gorv::Accent::bright, gorv::Accent::bold};
    state.random.reseed(42);
    if (!gorv::rebuild(state)) bench.SkipWithError("rebuild");
    auto body = [&] {
        return style == gorv::Style::rain ? rain_frame(state) : static_frame(state);
    };
    // Rain in steady state: drops in flight on every part of the screen.
    for (std::uint32_t i = 0; i < 4 * height; ++i)
        (void)body();
    tb_clear();
    for (auto _ : bench) {
        if (!body()) bench.SkipWithError("frame");
    }
    bench.counters["ns_per_cell"] = benchmark::Counter(
        static_cast<double>(width) * height * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    tb_shutdown();
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({80, 24})->Args({320, 100});
}

}  // namespace

BENCHMARK_CAPTURE(frame_body, default_binary, gorv::Style::default_, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, columns_binary, gorv::Style::columns, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, crypto_binary, gorv::Style::crypto, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, grid_binary, gorv::Style::grid, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, blocks_binary, gorv::Style::blocks, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, rain_binary, gorv::Style::rain, gorv::Mode::binary, false)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, default_textual_accents, gorv::Style::default_, gorv::Mode::textual,
                  true)
    ->Apply(sizes);
BENCHMARK_CAPTURE(frame_body, rain_textual_accents, gorv::Style::rain, gorv::Mode::textual, true)
    ->Apply(sizes);

BENCHMARK_MAIN();
