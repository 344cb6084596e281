#pragma once

#include <vector>

#include "world/monde.h"

namespace jeu {

// Removes the ship with exactly this colour and serial, if it is still there,
// from the list (keeping the order of the others) and from the index. The
// one removal path: a session's player leaving and a ship's last hit.
// REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

// Removes the ships whose list position is marked (`marques` has one entry
// per listed ship), from the list, keeping the order of the others, and from
// the index: the bullet step's removal of the ships it destroyed, done once
// at its end. REQUIRES: m.verrou_monde.
void detruit_vaisseaux_marques(monde& m, const std::vector<char>& marques)
    REQUIRES(m.verrou_monde);

}  // namespace jeu
