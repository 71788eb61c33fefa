// The terminal renderer on real frames: each iteration draws one frame of a style into the
// in-memory screen (tb_clear, the frame body, tb_present, as the frame loop does), then
// encodes the difference from the frame before with tmux-256color's terminfo description,
// the terminal of the side-by-side benchmark. Only the encoding is timed. Counters:
// "changed_cells" per frame (cells whose character or attributes differ from the frame
// before), "bytes" per frame, the encoder's own counts per frame ("skipped" unchanged
// cells, unchanged cells "rewritten" to move over them, "moves" weighed against the
// absolute address), "bytes_per_changed_cell", and "per_changed_cell", the time
// of a frame over its changed cells, in seconds. encode_unchanged times a frame that
// changes nothing: "per_unchanged_cell" is the cost of looking at a cell that needs no
// byte.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "render/render_state.h"
#include "render/styles.h"
#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/memory_screen.h"
#include "term/termbox2.h"

namespace {

using term_internal::Cell;

void encode_frames(benchmark::State& bench, gorv::Style style, gorv::Mode mode) {
    const auto width = static_cast<int>(bench.range(0));
    const auto height = static_cast<int>(bench.range(1));
    term_internal::TerminalDescription description;
    if (term_internal::describe_terminal("tmux-256color", description) != TB_OK ||
        term_test::memory_screen_open(width, height) != TB_OK) {
        bench.SkipWithError("no terminal description or memory screen");
        return;
    }
    const term_internal::FrameEncoder encoder(description);
    term_internal::CellBuffers screen;
    term_internal::resize_cell_buffers(screen, width, height);
    term_internal::ScreenModel model;
    term_internal::OutputBuffer out;

    gorv::RenderState state;
    state.style = style;
    state.mode = mode;
    state.width = static_cast<std::uint32_t>(width);
    state.height = static_cast<std::uint32_t>(height);
    state.random.reseed(42);
    if (!gorv::rebuild(state)) bench.SkipWithError("rebuild");
    auto next_frame = [&] {
        tb_clear();
        (void)(style == gorv::Style::rain ? rain_frame(state) : static_frame(state));
        tb_present();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const term_test::MemoryCell cell = term_test::memory_screen_cell(x, y);
                screen.back[screen.index(x, y)] = Cell{cell.ch, cell.fg, cell.bg};
            }
        }
    };
    // Rain in steady state, with drops on every part of the screen; the screen then shows
    // the frame before the first one measured, and the buffer has grown to the frames.
    for (int i = 0; i < 4 * height; ++i) {
        next_frame();
        out.size = 0;
        (void)encoder.encode(screen, model, out);
    }

    double changed = 0;
    double bytes = 0;
    double skipped = 0;
    double rewritten = 0;
    double moves = 0;
    term_internal::EncodeStats stats;
    for (auto _ : bench) {
        bench.PauseTiming();
        next_frame();
        for (std::size_t i = 0; i < screen.back.size(); ++i)
            changed += screen.back[i] == screen.front[i] ? 0 : 1;
        out.size = 0;
        bench.ResumeTiming();
        if (encoder.encode(screen, model, out, &stats) != TB_OK) bench.SkipWithError("encode");
        bytes += static_cast<double>(out.size);
        skipped += static_cast<double>(stats.skipped);
        rewritten += static_cast<double>(stats.rewritten);
        moves += static_cast<double>(stats.moves);
    }
    bench.counters["changed_cells"] =
        benchmark::Counter(changed, benchmark::Counter::kAvgIterations);
    bench.counters["bytes"] = benchmark::Counter(bytes, benchmark::Counter::kAvgIterations);
    bench.counters["skipped"] = benchmark::Counter(skipped, benchmark::Counter::kAvgIterations);
    bench.counters["rewritten"] = benchmark::Counter(rewritten, benchmark::Counter::kAvgIterations);
    bench.counters["moves"] = benchmark::Counter(moves, benchmark::Counter::kAvgIterations);
    bench.counters["bytes_per_changed_cell"] = changed > 0 ? bytes / changed : 0;
    bench.counters["per_changed_cell"] =
        benchmark::Counter(changed, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    tb_shutdown();
}

void encode_unchanged(benchmark::State& bench) {
    const auto width = static_cast<int>(bench.range(0));
    const auto height = static_cast<int>(bench.range(1));
    term_internal::TerminalDescription description;
    if (term_internal::describe_terminal("tmux-256color", description) != TB_OK) {
        bench.SkipWithError("no terminal description");
        return;
    }
    const term_internal::FrameEncoder encoder(description);
    term_internal::CellBuffers screen;
    term_internal::resize_cell_buffers(screen, width, height);
    for (std::size_t i = 0; i < screen.back.size(); ++i)
        screen.back[i] = Cell{static_cast<std::uint32_t>('0' + i % 2), TB_GREEN, TB_DEFAULT};
    term_internal::ScreenModel model;
    term_internal::OutputBuffer out;
    (void)encoder.encode(screen, model, out);
    for (auto _ : bench) {
        out.size = 0;
        if (encoder.encode(screen, model, out) != TB_OK || out.size != 0)
            bench.SkipWithError("encode");
    }
    bench.counters["per_unchanged_cell"] = benchmark::Counter(
        static_cast<double>(screen.back.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({80, 24})->Args({200, 60});
}

}  // namespace

BENCHMARK_CAPTURE(encode_frames, default_binary, gorv::Style::default_, gorv::Mode::binary)
    ->Apply(sizes);
BENCHMARK_CAPTURE(encode_frames, rain_binary, gorv::Style::rain, gorv::Mode::binary)->Apply(sizes);
BENCHMARK_CAPTURE(encode_frames, rain_textual, gorv::Style::rain, gorv::Mode::textual)
    ->Apply(sizes);
BENCHMARK_CAPTURE(encode_frames, crypto_hexadecimal, gorv::Style::crypto, gorv::Mode::hexadecimal)
    ->Apply(sizes);

BENCHMARK(encode_unchanged)->Apply(sizes);

BENCHMARK_MAIN();
