// Frames allocate nothing once built: this executable replaces the global operator new
// and delete with counting versions, and gives the render state a counting resource.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "render/opening.h"
#include "render/render_state.h"
#include "render/styles.h"
#include "support.h"

namespace {

std::atomic<std::size_t> heap_allocations{0};

void* counted(std::size_t size, std::size_t alignment) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) {
    return counted(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return counted(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace gorv {
namespace {

using render_test::CountingResource;
using render_test::MemoryScreen;

// Standard error sent to /dev/null for the object's lifetime.
class QuietStderr {
  public:
    QuietStderr() : saved_(::dup(STDERR_FILENO)) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietStderr() {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

  private:
    int saved_;
};

TEST(Allocation, TheCounterSeesAllocations) {
    const std::size_t before = heap_allocations.load();
    auto* p = new std::vector<int>(100);
    delete p;
    EXPECT_GE(heap_allocations.load() - before, 2u);
}

TEST(Allocation, FramesOfEveryStyleAllocateNothingAfterTheFirst) {
    MemoryScreen screen(80, 24);
    ASSERT_TRUE(screen.opened());
    const std::vector<Accent> accents = {Accent::bright, Accent::bold, Accent::dim, Accent::pulse};
    for (const Style style : {Style::default_, Style::columns, Style::crypto, Style::grid,
                              Style::blocks, Style::rain}) {
        for (const bool debug : {false, true}) {
            for (const Mode mode : {Mode::binary, Mode::textual}) {
                CountingResource resource;
                RenderState state(&resource);
                state.style = style;
                state.mode = mode;
                state.debug = debug;
                state.accents = accents;
                state.width = debug ? 12 : 80;
                state.height = debug ? 10 : 24;
                state.random.reseed(7);
                ASSERT_TRUE(rebuild(state).has_value());
                QuietStderr quiet;
                auto frame = [&] {
                    tb_clear();
                    const Status drawn =
                        style == Style::rain ? rain_frame(state) : static_frame(state);
                    tb_present();
                    return drawn;
                };
                ASSERT_TRUE(frame().has_value());  // the warm-up frame builds the rain columns
                const std::size_t heap_before = heap_allocations.load();
                const std::size_t state_before = resource.allocations;
                for (int i = 0; i < 300; ++i)
                    ASSERT_TRUE(frame().has_value());
                EXPECT_EQ(heap_allocations.load() - heap_before, 0u)
                    << static_cast<int>(style) << " debug " << debug;
                EXPECT_EQ(resource.allocations - state_before, 0u);
            }
        }
    }
}

TEST(Allocation, OpeningStepsAllocateNothing) {
    MemoryScreen screen(80, 24);
    ASSERT_TRUE(screen.opened());
    RenderState state;
    state.width = 80;
    state.height = 24;
    state.mode = Mode::textual;
    state.accents = std::vector{Accent::pulse};
    const std::size_t before = heap_allocations.load();
    for (std::uint32_t k = 0; k < opening_steps; ++k) {
        tb_clear();
        ASSERT_TRUE(draw_opening_step(state, k).has_value());
        tb_present();
    }
    EXPECT_EQ(heap_allocations.load() - before, 0u);
}

}  // namespace
}  // namespace gorv
