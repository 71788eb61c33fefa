// The watcher and the renderer together, on an in-memory screen.
#include <gtest/gtest.h>

#include <chrono>
#include <memory_resource>
#include <new>
#include <thread>

#include "app/session.h"
#include "app/threads.h"
#include "app/watcher.h"
#include "core/terminal_lock.h"
#include "render/frame_loop.h"
#include "support/captured_fd.h"
#include "term/memory_screen.h"

namespace gorv {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits up to ten seconds for the predicate, under the terminal lock.
template <class Predicate>
bool eventually(Predicate predicate) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        {
            std::lock_guard terminal(terminal_lock());
            if (predicate()) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class Run : public ::testing::Test {
  protected:
    void open_screen(int width, int height) {
        std::lock_guard terminal(terminal_lock());
        ASSERT_EQ(term_test::memory_screen_open(width, height), TB_OK);
    }

    void TearDown() override {
        std::lock_guard terminal(terminal_lock());
        (void)tb_shutdown();
    }

    // Prepares the render state as the main routine does and starts both threads.
    void start() {
        render.running = true;
        read_terminal_size(render);
        ASSERT_TRUE(rebuild(render));
        auto started_watcher = start_thread(run_watcher, run, render);
        ASSERT_TRUE(started_watcher);
        watcher = *started_watcher;
        auto started_renderer = start_thread(run_renderer, run, render);
        ASSERT_TRUE(started_renderer);
        renderer = *started_renderer;
    }

    void join() {
        pthread_join(renderer, nullptr);
        pthread_join(watcher, nullptr);
    }

    static void press_key() {
        std::lock_guard terminal(terminal_lock());
        term_test::memory_screen_key('q');
    }

    RunState run;
    RenderState render;
    pthread_t watcher{};
    pthread_t renderer{};
};

TEST_F(Run, AnyKeyEndsTheRunWithinOneFrameAndItsDelay) {
    open_screen(20, 6);
    render.style = Style::columns;
    render.bare = true;
    start();
    ASSERT_TRUE(eventually([] { return term_test::memory_screen_presents() >= 3; }));
    const auto pressed = Clock::now();
    press_key();
    join();
    // One input poll, then at most one frame and its delay.
    EXPECT_LT(seconds_since(pressed), 0.1 + 0.08 + 0.25);
    EXPECT_FALSE(render.running);
}

TEST_F(Run, ADurationEndsTheRunByItself) {
    open_screen(20, 6);
    render.bare = true;
    run.time = 1;
    const auto started = Clock::now();
    start();
    join();
    const double elapsed = seconds_since(started);
    EXPECT_GE(elapsed, 1.0);
    EXPECT_LT(elapsed, 1.6);
}

TEST_F(Run, FramesFollowAtTheDelayOfTheStyleAndSpeed) {
    struct Case {
        Style style;
        Speed speed;
    };
    const Case cases[] = {{Style::default_, Speed::fast},
                          {Style::grid, Speed::normal},
                          {Style::rain, Speed::normal},
                          {Style::crypto, Speed::slow}};
    for (const Case& c : cases) {
        RunState run_state;
        RenderState state;
        state.style = c.style;
        state.speed = c.speed;
        state.bare = true;
        state.running = true;
        open_screen(40, 12);
        read_terminal_size(state);
        ASSERT_TRUE(rebuild(state));
        auto started_watcher = start_thread(run_watcher, run_state, state);
        auto started_renderer = start_thread(run_renderer, run_state, state);
        ASSERT_TRUE(started_watcher && started_renderer);
        int first = 0;
        ASSERT_TRUE(eventually([&] { return (first = term_test::memory_screen_presents()) >= 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        int presents = 0;
        {
            std::lock_guard terminal(terminal_lock());
            presents = term_test::memory_screen_presents() - first;
            term_test::memory_screen_key(' ');
        }
        pthread_join(*started_renderer, nullptr);
        pthread_join(*started_watcher, nullptr);
        {
            std::lock_guard terminal(terminal_lock());
            (void)tb_shutdown();
        }
        // A frame period is the drawing time plus the delay, so the rate can only fall
        // short of the table's, by the drawing time and by scheduling on a busy machine.
        const double period = frame_delay_ns(c.style, c.speed) / 1e9;
        const double expected = 1.5 / period;
        EXPECT_LE(presents, expected + 1.5) << static_cast<int>(c.style);
        EXPECT_GE(presents, expected * 0.75 - 1) << static_cast<int>(c.style);
    }
}

TEST_F(Run, ResizesRebuildTheLayoutForTheNewSize) {
    open_screen(20, 6);
    render.style = Style::columns;
    render.bare = true;
    start();
    const int sizes[][2] = {{1, 1}, {0, 0}, {9, 3}, {200, 60}, {41, 7}};
    for (const auto& size : sizes) {
        {
            std::lock_guard terminal(terminal_lock());
            term_test::memory_screen_resize(size[0], size[1]);
        }
        ASSERT_TRUE(eventually([&] { return tb_width() == size[0] && tb_height() == size[1]; }));
    }
    ASSERT_TRUE(eventually([] { return term_test::memory_screen_presents() >= 20; }));
    press_key();
    join();
    EXPECT_EQ(render.width, 41u);
    EXPECT_EQ(render.height, 7u);
    const std::vector<std::uint32_t> gaps(render.gap_columns.begin(), render.gap_columns.end());
    EXPECT_EQ(gaps, (std::vector<std::uint32_t>{3, 7, 11, 15, 19, 23, 27, 31, 35, 39}));
}

TEST_F(Run, DebugModeDrawsOneFrameAndExitsAfterItsDelay) {
    render.debug = true;
    testing::CapturedFd capture;
    const auto started = Clock::now();
    start();
    join();
    const double elapsed = seconds_since(started);
    capture.restore();
    const std::string log = capture.text();
    EXPECT_FALSE(render.running);
    EXPECT_GE(elapsed, 0.19);
    EXPECT_LT(elapsed, 0.6);
    EXPECT_TRUE(log.ends_with("info(gorv): Exiting...\n")) << log;
}

// Fails every allocation, so that the watcher's rebuild runs out of memory.
class ExhaustedResource : public std::pmr::memory_resource {
    void* do_allocate(std::size_t, std::size_t) override { throw std::bad_alloc(); }
    void do_deallocate(void*, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

TEST(RunFailure, AWatcherThatFailsEndsTheRunWithItsErrorLine) {
    ExhaustedResource exhausted;
    RunState run;
    RenderState render(&exhausted);
    render.debug = true;
    render.style = Style::columns;
    render.width = 12;
    render.height = 10;
    render.running = true;
    testing::CapturedFd capture;
    auto watcher = start_thread(run_watcher, run, render);
    ASSERT_TRUE(watcher);
    auto renderer = start_thread(run_renderer, run, render);
    ASSERT_TRUE(renderer);
    pthread_join(*renderer, nullptr);
    pthread_join(*watcher, nullptr);
    capture.restore();
    EXPECT_FALSE(render.running);
    EXPECT_EQ(capture.text(), "error: OutOfMemory\n");
}

}  // namespace
}  // namespace gorv
