#include "world/verrou.h"

#include <system_error>

namespace jeu {

namespace {

void initialise(pthread_mutex_t& m) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  // Where the system has no priority inheritance the lock still works.
  pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT);
  int e = pthread_mutex_init(&m, &attr);
  if (e != 0) {
    pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_NONE);
    e = pthread_mutex_init(&m, &attr);
  }
  pthread_mutexattr_destroy(&attr);
  if (e != 0) throw std::system_error(e, std::generic_category(), "pthread_mutex_init");
}

}  // namespace

Verrou::Verrou() {
  initialise(suivant_);
  try {
    initialise(donnees_);
  } catch (...) {
    pthread_mutex_destroy(&suivant_);
    throw;
  }
}

Verrou::~Verrou() {
  pthread_mutex_destroy(&donnees_);
  pthread_mutex_destroy(&suivant_);
}

void Verrou::lock() {
  file_.lock();
  pthread_mutex_lock(&suivant_);
  pthread_mutex_lock(&donnees_);
  pthread_mutex_unlock(&suivant_);
  tenu_par_tick_ = false;
}

void Verrou::lock_prioritaire() {
  pthread_mutex_lock(&suivant_);
  pthread_mutex_lock(&donnees_);
  pthread_mutex_unlock(&suivant_);
  tenu_par_tick_ = true;
}

void Verrou::unlock() {
  const bool tick = tenu_par_tick_;
  pthread_mutex_unlock(&donnees_);
  if (!tick) file_.unlock();
}

}  // namespace jeu
