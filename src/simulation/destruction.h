#pragma once

#include "world/monde.h"

namespace jeu {

// Removes the ship with exactly this colour and serial, if it is still there,
// from the list (keeping the order of the others) and from the index. The
// one removal path: a session's player leaving and a ship's last hit.
// REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

}  // namespace jeu
