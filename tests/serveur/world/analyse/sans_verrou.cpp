// Must NOT compile under -Wthread-safety -Werror: reads ships without the lock.
#include "world/monde.h"

std::size_t compte(jeu::monde& m) { return m.vaisseaux.size(); }
