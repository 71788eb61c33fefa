#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <span>
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

// The cells of a rain column, row 0 at the top, kept in a ring: a move takes the bottom
// cell off and puts a new one on at row 0 by changing where row 0 is stored, so no cell
// moves in memory. Row y is storage()[(top() + y) mod size()]. Beside the cells, one bit
// per stored cell tells whether it is visible, so that drawing skips the empty stretches
// without reading them.
class ColumnCells {
  public:
    using allocator_type = std::pmr::polymorphic_allocator<Cell>;

    // The rows in order, top to bottom.
    class const_iterator {
      public:
        const_iterator(const ColumnCells& cells, std::size_t row) : cells_(&cells), row_(row) {}
        const Cell& operator*() const { return (*cells_)[row_]; }
        const_iterator& operator++() {
            ++row_;
            return *this;
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

      private:
        const ColumnCells* cells_;
        std::size_t row_;
    };

    explicit ColumnCells(allocator_type allocator) : ring_(allocator), visible_(allocator) {}

    // Storage for `count` cells. Throws std::bad_alloc, like the growth of push_back.
    void reserve(std::size_t count) {
        ring_.reserve(count);
        visible_.reserve(words_for(count));
    }

    // Appends a cell below the bottom row. Throws std::bad_alloc when storage cannot grow,
    // leaving the cells as they were.
    void push_back(const Cell& cell);

    // Takes the bottom cell off and puts `cell` on at row 0, so that every other row is
    // one lower. Expects a column that is not empty.
    void push_top(const Cell& cell) {
        top_ = (top_ == 0 ? ring_.size() : top_) - 1;
        ring_[top_] = cell;
        std::uint64_t& word = visible_[top_ / 64];
        const std::uint64_t bit = std::uint64_t{1} << (top_ % 64);
        word = cell.visible ? word | bit : word & ~bit;
    }

    // The cell at row y, for y below size().
    const Cell& operator[](std::size_t row) const {
        const std::size_t at = top_ + row;
        return ring_[at < ring_.size() ? at : at - ring_.size()];
    }

    [[nodiscard]] std::size_t size() const { return ring_.size(); }
    [[nodiscard]] std::size_t capacity() const { return ring_.capacity(); }
    [[nodiscard]] bool empty() const { return ring_.empty(); }
    [[nodiscard]] const_iterator begin() const { return {*this, 0}; }
    [[nodiscard]] const_iterator end() const { return {*this, ring_.size()}; }

    // The cells in storage order, the storage index of row 0, and the visible bits: bit
    // s % 64 of word s / 64 is set exactly when storage()[s] is visible.
    [[nodiscard]] std::span<const Cell> storage() const { return ring_; }
    [[nodiscard]] std::size_t top() const { return top_; }
    [[nodiscard]] std::span<const std::uint64_t> visible_bits() const { return visible_; }

  private:
    static constexpr std::size_t words_for(std::size_t cells) { return (cells + 63) / 64; }

    std::pmr::vector<Cell> ring_;
    std::pmr::vector<std::uint64_t> visible_;
    std::size_t top_ = 0;
};

// One screen column of the rain style; cells[0] is the top row. Once built it holds
// `height` cells in storage reserved for exactly that many.
struct Column {
    ColumnCells cells;
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
