#include "fake_runtime.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "zorvex_stub.h"

namespace fake_runtime {
namespace {

// A plain mutex: ThreadSanitizer does not follow the timed lock calls
// std::timed_mutex uses, so try_acquire_for polls try_lock instead.
std::mutex g_lock;
thread_local bool t_holding = false;

std::atomic<long> g_enters{0};
std::atomic<long> g_leaves{0};
std::atomic<long> g_misuse{0};
std::atomic<int> g_in_blocking{0};
std::atomic<int> g_max_in_blocking{0};
std::function<void()> g_on_enter;

void note_blocking_entered() {
  const int now = g_in_blocking.fetch_add(1) + 1;
  int seen = g_max_in_blocking.load();
  while (now > seen && !g_max_in_blocking.compare_exchange_weak(seen, now)) {
  }
}

}  // namespace

void acquire() {
  g_lock.lock();
  t_holding = true;
}

bool try_acquire_for(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!g_lock.try_lock()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  t_holding = true;
  return true;
}

void release() {
  t_holding = false;
  g_lock.unlock();
}

bool held_by_me() { return t_holding; }

long enter_count() { return g_enters.load(); }
long leave_count() { return g_leaves.load(); }
long misuse_count() { return g_misuse.load(); }
int max_concurrent_blocking() { return g_max_in_blocking.load(); }

void reset() {
  g_enters = 0;
  g_leaves = 0;
  g_misuse = 0;
  g_in_blocking = 0;
  g_max_in_blocking = 0;
}

void set_on_enter(std::function<void()> hook) { g_on_enter = std::move(hook); }

}  // namespace fake_runtime

// The runtime calls the library needs.  A call in the wrong state is
// counted and otherwise ignored, so a faulty caller fails a test instead
// of deadlocking or unlocking a mutex it does not own.
extern "C" void zorvex_enter_blocking_section(void) {
  using namespace fake_runtime;
  if (!t_holding) {
    ++g_misuse;
    return;
  }
  ++g_enters;
  note_blocking_entered();
  release();
  if (g_on_enter) g_on_enter();
}

extern "C" void zorvex_leave_blocking_section(void) {
  using namespace fake_runtime;
  if (t_holding) {
    ++g_misuse;
    return;
  }
  acquire();
  --g_in_blocking;
  ++g_leaves;
}
