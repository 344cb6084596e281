// Tests of zorvex_stub that involve several threads: signals during the
// sleep, the runtime lock while sleeping, and concurrent callers.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <latch>
#include <thread>
#include <vector>

#include "fake_runtime.h"
#include "sleep_recorder.h"
#include "zorvex_stub.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_signals_handled{0};

extern "C" void count_signal(int) { g_signals_handled.fetch_add(1); }

// Installs the counting handler for SIGUSR1 without SA_RESTART, so a
// signal makes a sleeping nanosleep fail with EINTR.  It stays installed
// for the rest of the process (a late signal must not kill it).
void install_counting_handler() {
  struct sigaction action {};
  action.sa_handler = count_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  ASSERT_EQ(sigaction(SIGUSR1, &action, nullptr), 0);
}

// A short pause that does not go through nanosleep (which the test
// programs record).
void pause_for(std::chrono::milliseconds ms) {
  timespec ts{static_cast<time_t>(ms.count() / 1000), static_cast<long>(ms.count() % 1000) * 1000000L};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, &ts) == EINTR) {
  }
}

// Waits until `done()` holds or `limit` passes; returns whether it held.
template <typename Pred>
bool wait_until(Pred done, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// `n` passes through the primitive, each with one enter and one leave call
// made while holding, then not holding, the runtime lock.
void expect_passes(long n) {
  EXPECT_EQ(fake_runtime::enter_count(), n);
  EXPECT_EQ(fake_runtime::leave_count(), n);
  EXPECT_EQ(fake_runtime::misuse_count(), 0);
}

TEST(SignalsDuringSleep, SleepLastsTheWholeDurationAndResumesWithWhatWasLeft) {
  install_counting_handler();
  fake_runtime::reset();
  fake_runtime::LockHolder lock;

  const int handled_before = g_signals_handled.load();
  const pthread_t sleeper = pthread_self();
  std::atomic<bool> done{false};
  sleep_recorder::start_recording();
  std::thread sender([&] {
    // Start once the sleeper has left the runtime, i.e. is about to sleep.
    wait_until([&] { return fake_runtime::enter_count() > 0 || done.load(); }, 5000ms);
    while (!done.load()) {
      pthread_kill(sleeper, SIGUSR1);
      pause_for(3ms);
    }
  });

  const double duration = 0.2;
  const auto start = Clock::now();
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto elapsed = Clock::now() - start;
  done = true;
  sender.join();
  const auto calls = sleep_recorder::stop();
  const int handled = g_signals_handled.load() - handled_before;

  EXPECT_EQ(result, ZORVEX_UNIT);
  EXPECT_GE(elapsed, 200ms);
  EXPECT_GT(handled, 0);
  expect_passes(1);
  EXPECT_TRUE(fake_runtime::held_by_me());

  // Interrupted at least once; every retry asked for exactly what the
  // interrupted call said was left.
  ASSERT_GE(calls.size(), 2u) << handled << " signal(s) handled";
  EXPECT_EQ(calls[0].req.tv_sec, 0);
  EXPECT_EQ(calls[0].req.tv_nsec, 200000000L);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "nanosleep call " << i << " of " << calls.size());
    EXPECT_FALSE(calls[i].lock_held);
    if (i + 1 < calls.size()) {
      EXPECT_EQ(calls[i].result, -1);
      EXPECT_EQ(calls[i].error, EINTR);
    } else {
      EXPECT_EQ(calls[i].result, 0);
    }
    if (i > 0) {
      EXPECT_EQ(calls[i].req.tv_sec, calls[i - 1].rem.tv_sec);
      EXPECT_EQ(calls[i].req.tv_nsec, calls[i - 1].rem.tv_nsec);
    }
  }
}

TEST(RuntimeLockDuringSleep, AnotherThreadRunsWhileOneSleeps) {
  fake_runtime::reset();
  std::atomic<bool> sleeper_returned{false};
  std::atomic<bool> held_on_return{false};
  std::atomic<bool> other_done{false};
  std::atomic<bool> other_done_before_return{false};
  Clock::duration sleeper_elapsed{};

  std::thread sleeper([&] {
    fake_runtime::LockHolder lock;
    const double duration = 0.2;
    const auto start = Clock::now();
    const zorvex_value result = zorvex_nanosleep(&duration);
    sleeper_elapsed = Clock::now() - start;
    held_on_return = fake_runtime::held_by_me() && result == ZORVEX_UNIT;
    other_done_before_return = other_done.load();
    sleeper_returned = true;
  });

  EXPECT_TRUE(wait_until([] { return fake_runtime::enter_count() > 0; }, 5000ms))
      << "the sleeper never left the runtime";
  // The sleeper is inside the primitive: the runtime lock must be free.
  const bool got_lock = fake_runtime::try_acquire_for(2000ms);
  EXPECT_TRUE(got_lock);
  EXPECT_FALSE(sleeper_returned.load()) << "the lock was only free after the sleeper returned";
  if (got_lock) {
    // Keep the lock well past the end of the sleep: the sleeper must wait
    // for it before returning.
    pause_for(350ms);
    EXPECT_FALSE(sleeper_returned.load()) << "the sleeper returned without the runtime lock";
    other_done = true;
    fake_runtime::release();
  }
  sleeper.join();

  EXPECT_TRUE(held_on_return.load());
  EXPECT_TRUE(other_done_before_return.load());
  EXPECT_GE(sleeper_elapsed, 200ms);
  expect_passes(1);
}

TEST(ConcurrentCallers, EachSleepsItsOwnDurationAtTheSameTime) {
  fake_runtime::reset();
  constexpr std::size_t kThreads = 4;
  // Exact in binary, so each converts to a whole number of nanoseconds.
  const std::array<double, kThreads> durations = {0.0625, 0.09375, 0.125, 0.15625};
  std::array<Clock::duration, kThreads> elapsed{};
  std::array<bool, kThreads> held_on_return{};
  std::array<zorvex_value, kThreads> results{};
  std::latch start_together(kThreads);

  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start_together.arrive_and_wait();
      fake_runtime::LockHolder lock;
      const auto start = Clock::now();
      results[i] = zorvex_nanosleep(&durations[i]);
      elapsed[i] = Clock::now() - start;
      held_on_return[i] = fake_runtime::held_by_me();
    });
  }
  for (std::thread& t : threads) t.join();

  for (std::size_t i = 0; i < kThreads; ++i) {
    SCOPED_TRACE(testing::Message() << "thread " << i);
    EXPECT_EQ(results[i], ZORVEX_UNIT);
    EXPECT_TRUE(held_on_return[i]);
    EXPECT_GE(elapsed[i], std::chrono::duration<double>(durations[i]));
  }
  expect_passes(static_cast<long>(kThreads));
  // The sleeps overlapped: the lock was not held across them.
  EXPECT_GE(fake_runtime::max_concurrent_blocking(), 2);
}

}  // namespace
