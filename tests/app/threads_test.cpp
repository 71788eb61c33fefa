#include "app/threads.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>

#include "app/entry.h"

namespace gorv {
namespace {

std::atomic<int> bodies_run{0};

void count_body(RunState&, RenderState& render) {
    ++bodies_run;
    render.running = false;
}

// The address space in use now, from /proc/self/status.
rlim_t address_space_in_use() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmSize:")) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

// Runs `check` in a child whose address space leaves no room for a 16 MiB stack, and
// returns the child's exit status. The C library keeps the stacks of ended threads for
// reuse, so these tests come before any thread of this process has started and ended:
// they have an executable of their own and stand first in it.
template <class Check>
int with_no_room_for_a_stack(Check check) {
    const pid_t child = fork();
    if (child == 0) {
        const rlim_t room = address_space_in_use() + rlim_t{4} * 1024 * 1024;
        const rlimit limit{room, room};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

TEST(StartThread, NoRoomForTheStackIsSystemResources) {
    if (sanitized) GTEST_SKIP() << "the sanitizers reserve the address space up front";
    const int status = with_no_room_for_a_stack([] {
        RunState run;
        RenderState render;
        const auto started = start_thread(count_body, run, render);
        return !started && started.error() == Error::SystemResources;
    });
    EXPECT_EQ(status, 0);
}

TEST(MainRoutine, AWatcherThatCannotStartEndsTheProgramWithItsError) {
    if (sanitized) GTEST_SKIP() << "the sanitizers reserve the address space up front";
    const int status = with_no_room_for_a_stack([] {
        char program[] = "gorv";
        char debug[] = "--debug";
        char* arguments[] = {program, debug};
        // Debug mode never touches the terminal, so the child can run it here.
        const int saved = dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        const auto started = std::chrono::steady_clock::now();
        const Status outcome = main_routine(arguments);
        const auto took = std::chrono::steady_clock::now() - started;
        dup2(saved, STDERR_FILENO);
        // No thread ran: a watcher would have taken the debug exit delay of 0.2 s.
        return !outcome && outcome.error() == Error::SystemResources &&
               took < std::chrono::milliseconds(150);
    });
    EXPECT_EQ(status, 0);
}

TEST(StartedThread, RunsTheBodyOnTheRecords) {
    RunState run;
    RenderState render;
    render.running = true;
    const int before = bodies_run;
    auto started = start_thread(count_body, run, render);
    ASSERT_TRUE(started);
    pthread_join(*started, nullptr);
    EXPECT_EQ(bodies_run, before + 1);
    EXPECT_FALSE(render.running);
}

}  // namespace
}  // namespace gorv
