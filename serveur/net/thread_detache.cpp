#include "net/thread_detache.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace jeu {

namespace {

void* execute(void* arg) {
  const std::unique_ptr<std::function<void()>> corps(static_cast<std::function<void()>*>(arg));
  (*corps)();
  return nullptr;
}

}  // namespace

int lance_thread_detache(std::function<void()> corps, std::size_t taille_pile,
                         int priorite_fifo) noexcept {
  std::unique_ptr<std::function<void()>> arg;
  try {
    arg = std::make_unique<std::function<void()>>(std::move(corps));
  } catch (...) {
    return ENOMEM;
  }
  pthread_attr_t attr;
  if (int e = pthread_attr_init(&attr); e != 0) return e;
  int erreur = pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  if (erreur == 0) erreur = pthread_attr_setstacksize(&attr, taille_pile);
  if (erreur == 0 && priorite_fifo > 0) {
    sched_param param{};
    param.sched_priority = priorite_fifo;
    erreur = pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
    if (erreur == 0) erreur = pthread_attr_setschedpolicy(&attr, SCHED_FIFO);
    if (erreur == 0) erreur = pthread_attr_setschedparam(&attr, &param);
  }
  pthread_t id;
  if (erreur == 0) erreur = pthread_create(&id, &attr, execute, arg.get());
  if (erreur == 0) arg.release();
  pthread_attr_destroy(&attr);
  return erreur;
}

int baisse_priorite_du_thread(int increment) noexcept {
  // On Linux a nice value belongs to a thread, named by its thread id.
  const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  errno = 0;
  const int actuelle = ::getpriority(PRIO_PROCESS, tid);
  if (actuelle == -1 && errno != 0) return errno;
  return ::setpriority(PRIO_PROCESS, tid, actuelle + increment) == 0 ? 0 : errno;
}

}  // namespace jeu
