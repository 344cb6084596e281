#pragma once

#include <vector>

#include "world/monde.h"

namespace jeu {

// Removes the ship with exactly this colour and serial, if it is still there,
// from the list (keeping the order of the others) and from the index, and
// counts its departure for `raison`: a session's player leaving.
// REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, const identite& id, raison_depart raison)
    REQUIRES(m.verrou_monde);

// Removes the ships whose list position is marked (`marques` has one entry
// per listed ship), from the list, keeping the order of the others, and from
// the index: the bullet step's removal of the ships it destroyed (counted
// at each hit), done once at its end. These two are the only ways a ship
// leaves.
// REQUIRES: m.verrou_monde.
void detruit_vaisseaux_marques(monde& m, const std::vector<char>& marques)
    REQUIRES(m.verrou_monde);

}  // namespace jeu
