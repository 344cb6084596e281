// Single-threaded tests of zorvex_stub: duration conversion, the path
// through the runtime calls, and the retry loop (with scripted nanosleep
// results).
#include <gtest/gtest.h>

#include <time.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fake_runtime.h"
#include "sleep_recorder.h"
#include "zorvex_stub.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Expected {
  double seconds;
  long long sec;
  long nsec;
};

void expect_converts(double seconds, long long sec, long nsec) {
  SCOPED_TRACE(testing::Message() << "duration " << std::hexfloat << seconds
                                  << std::defaultfloat << " (" << seconds << ")");
  timespec ts{-1, -1};
  EXPECT_EQ(zorvex_duration_to_timespec(seconds, &ts), 1);
  EXPECT_EQ(static_cast<long long>(ts.tv_sec), sec);
  EXPECT_EQ(static_cast<long>(ts.tv_nsec), nsec);
}

void expect_rejected(double seconds) {
  SCOPED_TRACE(testing::Message() << "duration " << seconds);
  timespec ts{7, 7};
  EXPECT_EQ(zorvex_duration_to_timespec(seconds, &ts), 0);
  EXPECT_EQ(ts.tv_sec, 0);
  EXPECT_EQ(ts.tv_nsec, 0);
}

TEST(DurationConversion, SplitsIntoSecondsAndNanoseconds) {
  const std::vector<Expected> cases = {
      {0.0, 0, 0},
      {-0.0, 0, 0},
      {0.025, 0, 25000000},
      {0.2, 0, 200000000},
      {1.0, 1, 0},
      {1.5, 1, 500000000},
      {1234.5, 1234, 500000000},
      {0.75, 0, 750000000},
  };
  for (const Expected& c : cases) expect_converts(c.seconds, c.sec, c.nsec);
}

TEST(DurationConversion, TruncatesTowardZeroInsteadOfRounding) {
  const std::vector<Expected> cases = {
      {2.9999999999, 2, 999999999},      // rounding would give 3 s and 0 ns
      {0.0249999999, 0, 24999999},       // rounding would give 25000000
      {1.9e-9, 0, 1},                    // rounding would give 2
      {0.4e-9, 0, 0},
      {1e-10, 0, 0},
      {std::nextafter(1.0, 0.0), 0, 999999999},  // the largest double below 1
      {std::nextafter(3.0, 0.0), 2, 999999999},
  };
  for (const Expected& c : cases) expect_converts(c.seconds, c.sec, c.nsec);
}

TEST(DurationConversion, RejectsDurationsThatCannotBeSlept) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double bad : {-1.0, -0.5, -1e-300, -std::numeric_limits<double>::denorm_min(), -inf,
                     nan, -nan, inf, 1e300, std::numeric_limits<double>::max()}) {
    expect_rejected(bad);
  }
}

TEST(DurationConversion, RespectsTheRangeOfTheSecondsField) {
  // Fits whatever the width of time_t.
  expect_converts(2147483647.5, 2147483647LL, 500000000);
  if (sizeof(time_t) == 4) {
    // 2^31 seconds no longer fits a 32-bit tv_sec.
    expect_rejected(2147483648.0);
    expect_rejected(3e9);
    expect_rejected(9.3e18);
    const double largest = std::nextafter(2147483648.0, 0.0);  // 2^31 - 2^-22
    timespec ts{};
    EXPECT_EQ(zorvex_duration_to_timespec(largest, &ts), 1);
    EXPECT_EQ(static_cast<long long>(ts.tv_sec), 2147483647LL);
    EXPECT_GE(ts.tv_nsec, 999999000L);
    EXPECT_LE(ts.tv_nsec, 999999999L);
  } else {
    ASSERT_EQ(sizeof(time_t), 8u);
    expect_converts(2147483648.0, 2147483648LL, 0);
    expect_converts(3e9, 3000000000LL, 0);
    // The largest double below 2^63 fits; 2^63 does not.
    expect_converts(std::nextafter(9223372036854775808.0, 0.0), 9223372036854774784LL, 0);
    expect_rejected(9223372036854775808.0);
    expect_rejected(9.3e18);
  }
}

// Each test runs as a runtime thread: it holds the runtime lock.
class NanosleepCall : public testing::Test {
 protected:
  void SetUp() override {
    fake_runtime::reset();
    fake_runtime::acquire();
  }
  void TearDown() override {
    sleep_recorder::stop();
    fake_runtime::set_on_enter(nullptr);
    if (fake_runtime::held_by_me()) fake_runtime::release();
  }

  // Checks one pass through the primitive: one enter, one leave, lock held
  // again afterwards, unit value returned.
  static void expect_one_pass(zorvex_value result, long passes = 1) {
    EXPECT_EQ(result, ZORVEX_UNIT);
    EXPECT_EQ(fake_runtime::enter_count(), passes);
    EXPECT_EQ(fake_runtime::leave_count(), passes);
    EXPECT_EQ(fake_runtime::misuse_count(), 0);
    EXPECT_TRUE(fake_runtime::held_by_me());
  }

  // Every nanosleep call happened inside the blocking section of the
  // current pass, with the runtime lock released.
  static void expect_inside_blocking_section(const std::vector<sleep_recorder::Call>& calls,
                                             long pass = 1) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "nanosleep call " << i);
      EXPECT_FALSE(calls[i].lock_held);
      EXPECT_EQ(calls[i].enters, pass);
      EXPECT_EQ(calls[i].leaves, pass - 1);
    }
  }
};

void expect_timespec(const timespec& ts, long long sec, long nsec) {
  EXPECT_EQ(static_cast<long long>(ts.tv_sec), sec);
  EXPECT_EQ(static_cast<long>(ts.tv_nsec), nsec);
}

TEST_F(NanosleepCall, ZeroPassesThroughBothRuntimeCalls) {
  sleep_recorder::start_recording();
  const double zero = 0.0;
  const zorvex_value result = zorvex_nanosleep(&zero);
  const auto calls = sleep_recorder::stop();

  expect_one_pass(result);
  ASSERT_EQ(calls.size(), 1u);
  expect_timespec(calls[0].req, 0, 0);
  EXPECT_EQ(calls[0].result, 0);
  expect_inside_blocking_section(calls);
}

TEST_F(NanosleepCall, SleepsAtLeastTheDuration) {
  sleep_recorder::start_recording();
  const double duration = 0.025;
  const auto start = Clock::now();
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto elapsed = Clock::now() - start;
  const auto calls = sleep_recorder::stop();

  expect_one_pass(result);
  EXPECT_GE(elapsed, 25ms);
  ASSERT_GE(calls.size(), 1u);
  expect_timespec(calls[0].req, 0, 25000000);
  EXPECT_EQ(calls.back().result, 0);
  expect_inside_blocking_section(calls);
}

TEST_F(NanosleepCall, ReadsTheDurationBeforeReleasingTheLock) {
  // Once the lock is released the runtime may change the value; the
  // primitive must already have read it.
  double duration = 0.025;
  fake_runtime::set_on_enter([&duration] { duration = 5.0; });
  sleep_recorder::start_script({{0, 0, {}}});
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto calls = sleep_recorder::stop();

  EXPECT_EQ(duration, 5.0);  // the hook ran
  expect_one_pass(result);
  ASSERT_EQ(calls.size(), 1u);
  expect_timespec(calls[0].req, 0, 25000000);
}

TEST_F(NanosleepCall, UnsleepableDurationsReturnAtOnceThroughBothCalls) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  long passes = 0;
  for (double bad : {-1.0, -1e-9, -inf, nan, inf, 1e300}) {
    SCOPED_TRACE(testing::Message() << "duration " << bad);
    sleep_recorder::start_recording();
    const auto start = Clock::now();
    const zorvex_value result = zorvex_nanosleep(&bad);
    const auto elapsed = Clock::now() - start;
    const auto calls = sleep_recorder::stop();
    ++passes;

    expect_one_pass(result, passes);
    EXPECT_TRUE(calls.empty()) << "nanosleep was called " << calls.size() << " time(s)";
    EXPECT_LT(elapsed, 1s);  // does not sleep at all
  }
}

TEST_F(NanosleepCall, InterruptedSleepResumesWithWhatWasLeft) {
  sleep_recorder::start_script({
      {-1, EINTR, {1, 200}},
      {-1, EINTR, {0, 7}},
      {-1, EINTR, {0, 0}},
      {0, 0, {}},
  });
  const double duration = 2.5;
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto calls = sleep_recorder::stop();

  expect_one_pass(result);
  ASSERT_EQ(calls.size(), 4u);
  expect_timespec(calls[0].req, 2, 500000000);
  expect_timespec(calls[1].req, 1, 200);
  expect_timespec(calls[2].req, 0, 7);
  expect_timespec(calls[3].req, 0, 0);
  expect_inside_blocking_section(calls);
}

TEST_F(NanosleepCall, KeepsRetryingForAsLongAsItIsInterrupted) {
  std::vector<sleep_recorder::Step> steps;
  for (long i = 0; i < 200; ++i) steps.push_back({-1, EINTR, {0, 1000000 - i * 5000}});
  steps.push_back({0, 0, {}});
  sleep_recorder::start_script(steps);
  const double duration = 0.001;
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto calls = sleep_recorder::stop();

  expect_one_pass(result);
  ASSERT_EQ(calls.size(), 201u);
  expect_timespec(calls[0].req, 0, 1000000);
  for (std::size_t i = 1; i < calls.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "nanosleep call " << i);
    expect_timespec(calls[i].req, 0, steps[i - 1].rem.tv_nsec);
  }
  expect_inside_blocking_section(calls);
}

TEST_F(NanosleepCall, AnErrorOtherThanInterruptionEndsTheSleep) {
  long passes = 0;
  for (int error : {EINVAL, EFAULT}) {
    SCOPED_TRACE(testing::Message() << "errno " << error);
    // The script would report success on a second call: a loop that
    // retried here would make one.
    sleep_recorder::start_script({{-1, error, {0, 999}}});
    const double duration = 1.0;
    const zorvex_value result = zorvex_nanosleep(&duration);
    const auto calls = sleep_recorder::stop();
    ++passes;

    expect_one_pass(result, passes);
    ASSERT_EQ(calls.size(), 1u);
    expect_timespec(calls[0].req, 1, 0);
    expect_inside_blocking_section(calls, passes);
  }

  // Interrupted first, then a failure: one retry, then stop.
  sleep_recorder::start_script({{-1, EINTR, {0, 5}}, {-1, EINVAL, {0, 999}}});
  const double duration = 1.0;
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto calls = sleep_recorder::stop();
  ++passes;
  expect_one_pass(result, passes);
  ASSERT_EQ(calls.size(), 2u);
  expect_timespec(calls[1].req, 0, 5);
}

}  // namespace
