// Presents allocate nothing in the steady state: once the output buffer has grown to what
// the frames need, every frame is encoded into it. This executable replaces the global
// operator new and delete with counting versions.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "term/cell_buffers.h"
#include "term/frame_encoder.h"
#include "term/input_decoder.h"
#include "term/termbox2.h"
#include "term/terminal_description.h"

namespace {

std::atomic<std::size_t> heap_allocations{0};

void* counted_or_null(std::size_t size) noexcept {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* counted(std::size_t size) {
    void* p = counted_or_null(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) {
    return counted(size);
}
void* operator new[](std::size_t size) {
    return counted(size);
}
// The non-throwing forms too (std::stable_sort takes its buffer with them), so that every
// block comes from malloc and goes back to free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted_or_null(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted_or_null(size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using term_internal::Cell;

// A cheap, fixed sequence of cell contents: characters, colours and attributes vary from
// frame to frame, so that moves, style changes and the bottom right cell all occur.
std::uint32_t mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    return x;
}

// On a description whose moves are expanded from their pieces (xterm-256color, linux) and
// on one whose every move goes through tiparm (vt52's addresses are characters).
class EncodingFrames : public testing::TestWithParam<const char*> {};

TEST_P(EncodingFrames, AllocatesNothing) {
    constexpr int width = 80;
    constexpr int height = 24;
    term_internal::TerminalDescription description;
    ASSERT_EQ(term_internal::describe_terminal(GetParam(), description), TB_OK);
    const term_internal::FrameEncoder encoder(description);
    term_internal::CellBuffers buffers;
    ASSERT_EQ(term_internal::resize_cell_buffers(buffers, width, height), TB_OK);
    term_internal::forget_front(buffers);
    term_internal::ScreenModel model;
    term_internal::OutputBuffer out;

    const uintattr_t colours[] = {TB_DEFAULT, TB_RED, TB_GREEN | TB_BOLD, TB_BLUE | TB_BRIGHT,
                                  TB_YELLOW | TB_DIM};
    const std::uint32_t glyphs[] = {'0', '1', 0xFF8A, 0x250C, ' ', 0x0301};
    auto encode_frames = [&] {
        for (std::uint32_t frame = 0; frame < 200; ++frame) {
            for (std::size_t i = 0; i < buffers.back.size(); ++i) {
                const std::uint32_t r = mix(frame * 7919u + static_cast<std::uint32_t>(i));
                if (r % 3 == 0) continue;
                buffers.back[i] = Cell{glyphs[r % 6], colours[(r >> 8) % 5],
                                       (r >> 12) % 7 == 0 ? TB_REVERSE : TB_DEFAULT};
            }
            if (frame % 50 == 49) {
                term_internal::forget_front(buffers);
                model = term_internal::ScreenModel{};
            }
            out.size = 0;
            ASSERT_EQ(encoder.encode(buffers, model, out), TB_OK);
            ASSERT_GT(out.size, 0u);
        }
    };
    // The first pass lets the buffer grow to the largest frame; the second is the steady
    // state.
    encode_frames();
    const std::size_t before = heap_allocations.load();
    encode_frames();
    EXPECT_EQ(heap_allocations.load() - before, 0u);
}

INSTANTIATE_TEST_SUITE_P(Allocation, EncodingFrames,
                         testing::Values("xterm-256color", "linux", "vt52"));

TEST(Allocation, DecodingKeysAllocatesNothing) {
    term_internal::TerminalDescription description;
    ASSERT_EQ(term_internal::describe_terminal("xterm-256color", description), TB_OK);
    term_internal::InputDecoder input;
    input.use_keys(&description.keys);
    const std::size_t before = heap_allocations.load();
    const char typed[] = "q\x1b[A\xc3\xa9\xe9\x80\xff\x1bOPz";
    for (int round = 0; round < 100; ++round) {
        const std::span<char> room = input.room();
        ASSERT_GE(room.size(), sizeof typed - 1);
        std::copy(typed, typed + sizeof typed - 1, room.begin());
        input.added(sizeof typed - 1);
        tb_event event{};
        while (input.next(event, true) == term_internal::InputDecoder::Result::event)
            event = tb_event{};
    }
    EXPECT_EQ(heap_allocations.load() - before, 0u);
}

}  // namespace
