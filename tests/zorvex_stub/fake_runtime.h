// A stand-in for the host runtime: one global runtime lock and the two
// blocking-section calls the library needs, with counters.
#pragma once

#include <chrono>
#include <functional>

namespace fake_runtime {

// Takes the runtime lock for the calling thread (blocks).
void acquire();
// Takes the runtime lock if it becomes free within `timeout`.
bool try_acquire_for(std::chrono::milliseconds timeout);
// Releases the runtime lock held by the calling thread.
void release();
// Whether the calling thread holds the runtime lock.
bool held_by_me();

// Counters since the last reset().
long enter_count();
long leave_count();
// Calls made in the wrong state (enter without the lock, leave with it).
long misuse_count();
// Most threads that were inside a blocking section at the same time.
int max_concurrent_blocking();
// Resets all counters.  Call only while no other thread uses the runtime.
void reset();

// Runs inside the enter call of the calling thread, after the lock is
// released.  Set and cleared only while no other thread uses the runtime.
void set_on_enter(std::function<void()> hook);

// Holds the runtime lock for a scope, like a thread running runtime code.
class LockHolder {
 public:
  LockHolder() { acquire(); }
  ~LockHolder() {
    if (held_by_me()) release();
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
};

}  // namespace fake_runtime
