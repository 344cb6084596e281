#pragma once

#include "world/monde.h"

namespace jeu {

// Serves one client connection on the calling thread until it ends, then
// closes `socket`. Takes m.verrou_monde itself, only around world access.
void client(monde& m, int socket) EXCLUDES(m.verrou_monde);

}  // namespace jeu
