#pragma once

#include "net/salle_attente.h"
#include "world/monde.h"

namespace jeu {

// Serves one client connection on the calling thread until it ends, then
// closes `socket`. Takes m.verrou_monde itself, only around world access.
void client(monde& m, int socket) EXCLUDES(m.verrou_monde);

// The same for a connection waiting in `salle` at `p`: it leaves the room
// when it registers a ship or becomes a spectator's, or when it ends, and
// ends at once when the room closed it before.
void client(monde& m, int socket, salle_attente& salle, salle_attente::place p)
    EXCLUDES(m.verrou_monde);

}  // namespace jeu
