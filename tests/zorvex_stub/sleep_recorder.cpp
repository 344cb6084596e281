#include "sleep_recorder.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <utility>

#include "fake_runtime.h"

extern "C" int __real_nanosleep(const struct timespec* req, struct timespec* rem);
extern "C" int __wrap_nanosleep(const struct timespec* req, struct timespec* rem);

namespace sleep_recorder {
namespace {

enum Mode { kPassThrough = 0, kRecord = 1, kScript = 2 };

// Switched by the test thread only while no other thread is inside the
// library.  In plain pass-through the wrapper reads nothing else, so it adds
// no synchronisation between threads (which could hide a race from TSan).
std::atomic<int> g_mode{kPassThrough};

// Guards the script and the recorded calls.
std::mutex g_mutex;
std::vector<Step> g_steps;
std::size_t g_next_step = 0;
std::vector<Call> g_calls;

}  // namespace

void start_recording() {
  std::lock_guard<std::mutex> guard(g_mutex);
  g_mode = kRecord;
  g_calls.clear();
}

void start_script(std::vector<Step> steps) {
  std::lock_guard<std::mutex> guard(g_mutex);
  g_mode = kScript;
  g_steps = std::move(steps);
  g_next_step = 0;
  g_calls.clear();
}

std::vector<Call> stop() {
  std::lock_guard<std::mutex> guard(g_mutex);
  g_mode = kPassThrough;
  g_steps.clear();
  return std::exchange(g_calls, {});
}

}  // namespace sleep_recorder

extern "C" int __wrap_nanosleep(const struct timespec* req, struct timespec* rem) {
  using namespace sleep_recorder;
  const int mode = g_mode.load();
  if (mode == kPassThrough) return __real_nanosleep(req, rem);

  Call call{*req, 0, 0, {}, fake_runtime::held_by_me(), fake_runtime::enter_count(),
            fake_runtime::leave_count()};
  if (mode == kRecord) {
    call.result = __real_nanosleep(req, rem);
    if (call.result != 0) call.error = errno;
    if (call.result != 0 && rem != nullptr) call.rem = *rem;
  } else {
    std::lock_guard<std::mutex> guard(g_mutex);
    if (g_next_step < g_steps.size()) {
      const Step& step = g_steps[g_next_step++];
      call.result = step.result;
      call.error = step.error;
      call.rem = step.rem;
      if (call.result != 0 && rem != nullptr) *rem = call.rem;
    }
  }

  {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_calls.push_back(call);
  }
  if (call.result != 0) errno = call.error;
  return call.result;
}
