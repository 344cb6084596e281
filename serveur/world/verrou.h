#pragma once

#include <pthread.h>

#include <mutex>

#include "world/thread_annotations.h"

namespace jeu {

// The world lock, with the annotations clang needs to check who holds it,
// and a way in for the tick ahead of the sessions: however many sessions
// wait, a tick that asks waits at most for the holder and one session.
// Sessions queue on a mutex of their own and only the first of them
// competes with the tick; the two locks they meet there inherit priority,
// so a tick in the real-time class lends it to the holder it waits for.
class CAPABILITY("mutex") Verrou {
 public:
  Verrou();
  ~Verrou();
  Verrou(const Verrou&) = delete;
  Verrou& operator=(const Verrou&) = delete;

  // For everything but the tick.
  void lock() ACQUIRE();
  // For the tick: passes every session waiting.
  void lock_prioritaire() ACQUIRE();
  void unlock() RELEASE();

 private:
  std::mutex file_;          // sessions wait here, one at a time past it
  pthread_mutex_t suivant_;  // the one session past file_, or the tick
  pthread_mutex_t donnees_;  // the lock proper
  bool tenu_par_tick_ = false;  // written while donnees_ is held
};

// Holds a Verrou for the lifetime of the guard.
class SCOPED_CAPABILITY VerrouGarde {
 public:
  // `prioritaire`: the tick's way in (Verrou::lock_prioritaire).
  explicit VerrouGarde(Verrou& v, bool prioritaire = false) ACQUIRE(v) : v_(v) {
    if (prioritaire) {
      v_.lock_prioritaire();
    } else {
      v_.lock();
    }
  }
  ~VerrouGarde() RELEASE() { v_.unlock(); }
  VerrouGarde(const VerrouGarde&) = delete;
  VerrouGarde& operator=(const VerrouGarde&) = delete;

 private:
  Verrou& v_;
};

// A plain mutex that clang's analysis follows, for data that has a lock of
// its own apart from the world's.
class CAPABILITY("mutex") VerrouSimple {
 public:
  void lock() ACQUIRE() { m_.lock(); }
  void unlock() RELEASE() { m_.unlock(); }

 private:
  std::mutex m_;
};

class SCOPED_CAPABILITY GardeSimple {
 public:
  explicit GardeSimple(VerrouSimple& v) ACQUIRE(v) : v_(v) { v_.lock(); }
  ~GardeSimple() RELEASE() { v_.unlock(); }
  GardeSimple(const GardeSimple&) = delete;
  GardeSimple& operator=(const GardeSimple&) = delete;

 private:
  VerrouSimple& v_;
};

}  // namespace jeu

// An unnamed guard would unlock at once; make that a compile error.
#define VerrouGarde(...) static_assert(false, "name the VerrouGarde variable")
