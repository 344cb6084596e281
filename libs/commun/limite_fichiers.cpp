#include "commun/limite_fichiers.h"

#include <sys/resource.h>

namespace jeu::commun {

void leve_limite_fichiers() {
  rlimit limite{};
  if (getrlimit(RLIMIT_NOFILE, &limite) == 0 && limite.rlim_cur < limite.rlim_max) {
    limite.rlim_cur = limite.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limite);
  }
}

}  // namespace jeu::commun
