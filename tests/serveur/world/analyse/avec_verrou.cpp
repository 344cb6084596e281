// Must compile under -Wthread-safety -Werror: the same read, lock held.
#include "world/monde.h"

std::size_t compte(jeu::monde& m) {
  jeu::VerrouGarde garde(m.verrou_monde);
  return m.vaisseaux.size();
}

std::size_t compte_sous_verrou(jeu::monde& m) REQUIRES(m.verrou_monde) {
  return m.vaisseaux.size();
}
