#pragma once

#include <mutex>

#include "world/thread_annotations.h"

namespace jeu {

// std::mutex with the annotations clang needs to check who holds it.
class CAPABILITY("mutex") Verrou {
 public:
  Verrou() = default;
  Verrou(const Verrou&) = delete;
  Verrou& operator=(const Verrou&) = delete;

  void lock() ACQUIRE() { m_.lock(); }
  void unlock() RELEASE() { m_.unlock(); }

 private:
  std::mutex m_;
};

// Holds a Verrou for the lifetime of the guard.
class SCOPED_CAPABILITY VerrouGarde {
 public:
  explicit VerrouGarde(Verrou& v) ACQUIRE(v) : v_(v) { v_.lock(); }
  ~VerrouGarde() RELEASE() { v_.unlock(); }
  VerrouGarde(const VerrouGarde&) = delete;
  VerrouGarde& operator=(const VerrouGarde&) = delete;

 private:
  Verrou& v_;
};

}  // namespace jeu

// An unnamed guard would unlock at once; make that a compile error.
#define VerrouGarde(x) static_assert(false, "name the VerrouGarde variable")
