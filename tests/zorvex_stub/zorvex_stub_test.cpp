// Single-threaded tests of zorvex_stub: duration conversion, the path
// through the runtime calls, and the retry loop (with scripted nanosleep
// results).
#include <gtest/gtest.h>

#include <time.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "fake_runtime.h"
#include "sleep_recorder.h"
#include "zorvex_stub.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void expect_timespec(const timespec& ts, long long sec, long nsec) {
  EXPECT_EQ(static_cast<long long>(ts.tv_sec), sec);
  EXPECT_EQ(static_cast<long>(ts.tv_nsec), nsec);
}

// A duration, whether it can be slept, and the timespec it gives ({0, 0}
// when it cannot).
struct Conversion {
  double seconds;
  bool ok;
  long long sec;
  long nsec;
};

TEST(DurationConversion, TruncatesTowardZeroAndRejectsWhatCannotBeSlept) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ASSERT_TRUE(sizeof(time_t) == 4 || sizeof(time_t) == 8);
  const bool wide = sizeof(time_t) == 8;  // a 32-bit tv_sec stops below 2^31
  const std::vector<Conversion> cases = {
      {0.0, true, 0, 0},
      {-0.0, true, 0, 0},
      {0.025, true, 0, 25000000},
      {0.2, true, 0, 200000000},
      {1.0, true, 1, 0},
      {1.5, true, 1, 500000000},
      {1234.5, true, 1234, 500000000},
      {0.75, true, 0, 750000000},
      // Truncated, not rounded.
      {2.9999999999, true, 2, 999999999},  // rounding would give 3 s and 0 ns
      {0.0249999999, true, 0, 24999999},   // rounding would give 25000000
      {1.9e-9, true, 0, 1},                // rounding would give 2
      {0.4e-9, true, 0, 0},
      {1e-10, true, 0, 0},
      {std::nextafter(1.0, 0.0), true, 0, 999999999},  // the largest double below 1
      {std::nextafter(3.0, 0.0), true, 2, 999999999},
      // Cannot be slept.
      {-1.0, false, 0, 0},
      {-0.5, false, 0, 0},
      {-1e-300, false, 0, 0},
      {-std::numeric_limits<double>::denorm_min(), false, 0, 0},
      {-inf, false, 0, 0},
      {nan, false, 0, 0},
      {-nan, false, 0, 0},
      {inf, false, 0, 0},
      {1e300, false, 0, 0},
      {std::numeric_limits<double>::max(), false, 0, 0},
      // The range of the seconds field: whatever the width of time_t...
      {2147483647.5, true, 2147483647LL, 500000000},
      {std::nextafter(2147483648.0, 0.0), true, 2147483647LL, 999999761},  // 2^31 - 2^-22
      {9.3e18, false, 0, 0},
      {9223372036854775808.0, false, 0, 0},  // 2^63
      // ...and 2^31 or more only where it is 64 bits, up to the largest double below 2^63.
      {2147483648.0, wide, wide ? 2147483648LL : 0, 0},
      {3e9, wide, wide ? 3000000000LL : 0, 0},
      {std::nextafter(9223372036854775808.0, 0.0), wide, wide ? 9223372036854774784LL : 0, 0},
  };
  for (const Conversion& c : cases) {
    SCOPED_TRACE(testing::Message() << "duration " << std::hexfloat << c.seconds
                                    << std::defaultfloat << " (" << c.seconds << ")");
    timespec ts{7, 7};
    EXPECT_EQ(zorvex_duration_to_timespec(c.seconds, &ts), c.ok ? 1 : 0);
    expect_timespec(ts, c.sec, c.nsec);
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

  // One pass through the primitive: one enter, one leave, lock held again
  // afterwards, unit value returned; every nanosleep call inside the
  // blocking section, with the runtime lock released.
  static void expect_one_pass(zorvex_value result, const std::vector<sleep_recorder::Call>& calls) {
    EXPECT_EQ(result, ZORVEX_UNIT);
    EXPECT_EQ(fake_runtime::enter_count(), 1);
    EXPECT_EQ(fake_runtime::leave_count(), 1);
    EXPECT_EQ(fake_runtime::misuse_count(), 0);
    EXPECT_TRUE(fake_runtime::held_by_me());
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "nanosleep call " << i);
      EXPECT_FALSE(calls[i].lock_held);
      EXPECT_EQ(calls[i].enters, 1);
      EXPECT_EQ(calls[i].leaves, 0);
    }
  }
};

TEST_F(NanosleepCall, SleepsAtLeastTheDuration) {
  sleep_recorder::start_recording();
  const double duration = 0.025;
  const auto start = Clock::now();
  const zorvex_value result = zorvex_nanosleep(&duration);
  const auto elapsed = Clock::now() - start;
  const auto calls = sleep_recorder::stop();

  expect_one_pass(result, calls);
  EXPECT_GE(elapsed, 25ms);
  ASSERT_GE(calls.size(), 1u);
  expect_timespec(calls[0].req, 0, 25000000);
  EXPECT_EQ(calls.back().result, 0);
}

// A duration, the results nanosleep gives in turn, and the intervals the
// primitive must ask for.
struct Scripted {
  const char* what;
  double duration;
  std::vector<sleep_recorder::Step> script;
  std::vector<timespec> requests;
};

TEST_F(NanosleepCall, ScriptedResults) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<Scripted> cases = {
      {"zero still passes through nanosleep", 0.0, {{0, 0, {}}}, {{0, 0}}},
      {"interrupted: resumes with what was left",
       2.5,
       {{-1, EINTR, {1, 200}}, {-1, EINTR, {0, 7}}, {-1, EINTR, {0, 0}}, {0, 0, {}}},
       {{2, 500000000}, {1, 200}, {0, 7}, {0, 0}}},
      // The script would report success on a second call: a loop that
      // retried would make one.
      {"EINVAL ends the sleep", 1.0, {{-1, EINVAL, {0, 999}}, {0, 0, {}}}, {{1, 0}}},
      {"EFAULT ends the sleep", 1.0, {{-1, EFAULT, {0, 999}}, {0, 0, {}}}, {{1, 0}}},
      {"interrupted, then a failure: one retry", 1.0,
       {{-1, EINTR, {0, 5}}, {-1, EINVAL, {0, 999}}, {0, 0, {}}}, {{1, 0}, {0, 5}}},
  };
  // Cannot be slept: no nanosleep call at all.
  for (double bad : {-1.0, -1e-9, -inf, nan, inf, 1e300}) cases.push_back({"unsleepable", bad, {}, {}});
  Scripted retries{"interrupted 200 times", 0.001, {}, {{0, 1000000}}};
  for (long i = 0; i < 200; ++i) {
    retries.script.push_back({-1, EINTR, {0, 1000000 - i * 5000}});
    retries.requests.push_back({0, 1000000 - i * 5000});
  }
  retries.script.push_back({0, 0, {}});
  cases.push_back(retries);

  for (const Scripted& c : cases) {
    SCOPED_TRACE(testing::Message() << c.what << ", duration " << c.duration);
    fake_runtime::reset();
    // Once the lock is released the runtime may change the value; the
    // primitive must already have read it.
    double duration = c.duration;
    fake_runtime::set_on_enter([&duration] { duration = 5.0; });
    sleep_recorder::start_script(c.script);
    const auto start = Clock::now();
    const zorvex_value result = zorvex_nanosleep(&duration);
    const auto elapsed = Clock::now() - start;
    const auto calls = sleep_recorder::stop();
    fake_runtime::set_on_enter(nullptr);

    EXPECT_EQ(duration, 5.0) << "the hook did not run";
    expect_one_pass(result, calls);
    EXPECT_LT(elapsed, 1s) << "slept other than through nanosleep";
    ASSERT_EQ(calls.size(), c.requests.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "nanosleep call " << i);
      expect_timespec(calls[i].req, c.requests[i].tv_sec, c.requests[i].tv_nsec);
    }
  }
}

}  // namespace
