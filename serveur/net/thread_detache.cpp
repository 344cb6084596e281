#include "net/thread_detache.h"

#include <pthread.h>

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

int lance_thread_detache(std::function<void()> corps, std::size_t taille_pile) noexcept {
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
  pthread_t id;
  if (erreur == 0) erreur = pthread_create(&id, &attr, execute, arg.get());
  if (erreur == 0) arg.release();
  pthread_attr_destroy(&attr);
  return erreur;
}

}  // namespace jeu
