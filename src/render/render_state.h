#pragma once

#include <atomic>
#include <cstdint>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <vector>

#include "app/error.h"
#include "app/settings.h"
#include "render/random.h"

namespace gorv {

struct Symbol {
    std::uint32_t bg = 0;  // attribute word
    std::uint32_t fg = 0;  // attribute word
    std::uint8_t value = 0;
};

struct Cell {
    Symbol symbol;
    bool visible = false;
};

// One screen column of the rain style; cells[0] is the top row.
struct Column {
    std::pmr::vector<Cell> cells;
    std::uint32_t cooldown = 0;
    bool active = false;
    bool dim = false;
};

// The record the renderer draws from, shared by the main routine, the watcher and the
// renderer. `width`, `height` and `debug` change only while no frame is drawn.
struct RenderState {
    explicit RenderState(std::pmr::memory_resource* resource = std::pmr::new_delete_resource())
        : allocator(resource), columns(resource), gap_columns(resource), gap_rows(resource) {}

    std::pmr::memory_resource* allocator;
    Random random;
    std::optional<std::vector<Accent>> accents;
    std::pmr::vector<Column> columns;
    std::pmr::vector<std::uint32_t> gap_columns;
    std::pmr::vector<std::uint32_t> gap_rows;
    std::mutex lock;  // held for the whole of a rebuild
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

// Lays out the style's lists for the current width and height, holding `lock`
// throughout (the default style touches nothing and takes no lock). OutOfMemory leaves
// the list that was being built empty.
[[nodiscard]] Status rebuild(RenderState& state);

}  // namespace gorv
