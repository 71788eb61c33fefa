#pragma once

#include <atomic>
#include <cstdint>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <vector>

#include "core/error.h"
#include "core/settings.h"
#include "render/random.h"

namespace gorv {

struct Symbol {
    std::uint32_t bg = 0;  // attribute word
    std::uint32_t fg = 0;  // attribute word
    std::uint8_t value = 0;
};

// A position of a rain column; an invisible cell is empty and not drawn.
struct Cell {
    Symbol symbol;
    bool visible = false;
};

// One screen column of the rain style; cells[0] is the top row. Once built it holds
// `height` cells in storage reserved for exactly that many.
struct Column {
    std::pmr::vector<Cell> cells;
    std::uint32_t cooldown = 0;  // frames to wait before the column may be re-activated
    bool active = false;         // an active column emits new symbols at its top
    bool dim = false;            // every symbol the column emits is dim
};

// The record the renderer draws from, shared by the main routine, the watcher and the
// renderer. `width`, `height` and `debug` change only while no frame is drawn. Every
// list is allocated through `allocator`.
struct RenderState {
    explicit RenderState(std::pmr::memory_resource* resource = std::pmr::new_delete_resource())
        : allocator(resource), columns(resource), gap_columns(resource), gap_rows(resource) {}

    std::pmr::memory_resource* allocator;
    Random random;
    std::optional<std::vector<Accent>> accents;
    std::pmr::vector<Column> columns;             // rain: one per screen column once built
    std::pmr::vector<std::uint32_t> gap_columns;  // increasing x positions left blank
    std::pmr::vector<std::uint32_t> gap_rows;     // increasing y positions left blank
    std::mutex lock;                              // held for the whole of a rebuild
    std::uint32_t fg = 0;
    std::uint32_t bg = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Mode mode = Mode::binary;
    Style style = Style::default_;
    Speed speed = Speed::normal;
    bool bare = false;
    bool debug = false;
    std::atomic<bool> running{false};
    std::atomic<bool> drawing{false};
};

// Lays out the style's lists for the current width and height while holding `lock`:
// the gap lists of the static styles (positions k * step - 1 up to the limit), or for
// rain an empty column list with storage reserved for `width` columns, so that the next
// rain frame builds every column anew. What a list held before is freed first. The
// default style takes no lock and changes nothing. Fails with OutOfMemory, leaving the
// list that was being built empty and `lock` released.
[[nodiscard]] Status rebuild(RenderState& state);

}  // namespace gorv
