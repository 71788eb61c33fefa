#include "app/job_control.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace gorv {
namespace {

using Kind = JobStep::Kind;

// A record as the handlers leave it: stops and continues numbered in the order they came.
struct Moment {
    SignalRecord record;
    Kind expected;
};

struct DecisionCase {
    const char* name;
    std::vector<Moment> moments;  // asked in this order, each once
};

const DecisionCase decision_cases[] = {
    {"nothing", {{{0, 0, 0}, Kind::none}}},
    {"a stop", {{{0, 1, 0}, Kind::suspend}, {{0, 1, 0}, Kind::none}}},
    {"a continue alone redraws", {{{0, 0, 1}, Kind::resume}, {{0, 0, 1}, Kind::none}}},
    {"a continue after the stop cancels it", {{{0, 1, 2}, Kind::resume}, {{0, 1, 2}, Kind::none}}},
    {"a stop after the continue stops", {{{0, 2, 1}, Kind::suspend}, {{0, 2, 1}, Kind::none}}},
    {"stop, continue, stop", {{{0, 1, 0}, Kind::suspend}, {{0, 3, 2}, Kind::suspend}}},
    {"the continue that ends a stop, then nothing",
     {{{0, 1, 0}, Kind::suspend}, {{0, 1, 2}, Kind::resume}, {{0, 1, 2}, Kind::none}}},
    {"a termination comes first, and stays",
     {{{SIGTERM, 1, 0}, Kind::terminate}, {{SIGTERM, 1, 2}, Kind::terminate}}},
};

TEST(JobDecision, StepsInTheOrderTheSignalsCame) {
    for (const DecisionCase& c : decision_cases) {
        SCOPED_TRACE(c.name);
        JobDecision decision;
        for (const Moment& moment : c.moments)
            EXPECT_EQ(static_cast<int>(decision.next(moment.record).kind),
                      static_cast<int>(moment.expected));
    }
}

TEST(JobDecision, TheStepNamesItsSignal) {
    JobDecision decision;
    EXPECT_EQ(decision.next({SIGHUP, 0, 0}).signal, SIGHUP);
    JobDecision stops;
    EXPECT_EQ(stops.next({0, 1, 0}).signal, SIGTSTP);
}

TEST(JobDecision, AStopAboutToBeCarriedOutIsCancelledByALaterContinue) {
    JobDecision decision;
    ASSERT_EQ(decision.next({0, 1, 0}).kind, Kind::suspend);
    EXPECT_FALSE(decision.continued_since({0, 1, 0}));
    EXPECT_TRUE(decision.continued_since({0, 1, 2}));
}

TEST(JobDecision, OnceContinuedOnlyANewerStopIsLeft) {
    JobDecision decision;
    ASSERT_EQ(decision.next({0, 1, 0}).kind, Kind::suspend);
    decision.act_on_continues({0, 1, 2});
    EXPECT_EQ(decision.next({0, 1, 2}).kind, Kind::none);
    decision.act_on_continues({0, 4, 3});
    EXPECT_EQ(decision.next({0, 4, 3}).kind, Kind::suspend);
}

// Runs body in a child process, so that the signal state it changes stays there; the
// child's exit status, or -1.
int in_child(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

using Handler = void (*)(int);

Handler handler_of(int signal_number) {
    struct sigaction action{};
    sigaction(signal_number, nullptr, &action);
    return action.sa_handler;
}

// The exit statuses: a bit for each signal found with the wrong disposition.
TEST(RunSignals, IgnoredOnEntryStayIgnoredAndAllAreRestoredAsFound) {
    const int ignored[] = {SIGHUP, SIGINT, SIGQUIT, SIGTSTP};
    const int caught[] = {SIGTERM, SIGCONT};
    EXPECT_EQ(
        in_child([&] {
            for (int signal_number : ignored)
                std::signal(signal_number, SIG_IGN);
            std::signal(SIGCONT, SIG_IGN);
            take_signal_state();
            catch_run_signals();
            int wrong = 0;
            for (int signal_number : ignored)
                if (handler_of(signal_number) != SIG_IGN) wrong |= 1;
            for (int signal_number : caught)
                if (handler_of(signal_number) == SIG_IGN || handler_of(signal_number) == SIG_DFL)
                    wrong |= 2;
            if (handler_of(SIGTTOU) != SIG_DFL || handler_of(SIGTTIN) != SIG_DFL) wrong |= 4;
            restore_run_signals();
            for (int signal_number : ignored)
                if (handler_of(signal_number) != SIG_IGN) wrong |= 8;
            if (handler_of(SIGTERM) != SIG_DFL || handler_of(SIGCONT) != SIG_IGN) wrong |= 16;
            return wrong;
        }),
        0);
}

TEST(RunSignals, BlockedOnEntryAreUnblocked) {
    EXPECT_EQ(in_child([] {
                  sigset_t blocked;
                  sigemptyset(&blocked);
                  for (int signal_number : {SIGTERM, SIGTSTP, SIGWINCH, SIGCONT, SIGTTOU, SIGUSR1})
                      sigaddset(&blocked, signal_number);
                  sigprocmask(SIG_BLOCK, &blocked, nullptr);
                  take_signal_state();
                  sigset_t now;
                  sigprocmask(SIG_BLOCK, nullptr, &now);
                  int wrong = 0;
                  for (int signal_number : {SIGTERM, SIGTSTP, SIGWINCH, SIGCONT, SIGTTOU})
                      if (sigismember(&now, signal_number) != 0) wrong |= 1;
                  // Signals the program does not rely on keep their place in the mask.
                  if (sigismember(&now, SIGUSR1) != 1) wrong |= 2;
                  return wrong;
              }),
              0);
}

// The handlers record; the decision reads the order. Signals sent to this process alone
// (a child), handled before kill returns.
TEST(RunSignals, TheHandlersRecordWhatTheDecisionReads) {
    EXPECT_EQ(in_child([] {
                  take_signal_state();
                  catch_run_signals();
                  if (signal_wake_fd() < 0) return 1;
                  kill(getpid(), SIGTSTP);
                  kill(getpid(), SIGCONT);
                  if (next_job_step().kind != Kind::resume) return 2;
                  kill(getpid(), SIGCONT);
                  kill(getpid(), SIGTSTP);
                  if (next_job_step().kind != Kind::suspend) return 3;
                  if (next_job_step().kind != Kind::none) return 4;
                  kill(getpid(), SIGQUIT);
                  kill(getpid(), SIGTERM);
                  const JobStep ending = next_job_step();
                  if (ending.kind != Kind::terminate || ending.signal != SIGQUIT) return 5;
                  if (terminating_signal() != SIGQUIT) return 6;
                  char byte = 0;
                  if (read(signal_wake_fd(), &byte, 1) != 1) return 7;
                  restore_run_signals();
                  return 0;
              }),
              0);
}

}  // namespace
}  // namespace gorv
