#pragma once

#include <deque>

#include "world/monde.h"

namespace jeu {

// Removes the first ship of this colour from m.vaisseaux, keeping the order of
// the others; no such ship: nothing changes. REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// Removes the ship with exactly this colour and serial, if it is still there,
// keeping the order of the others. REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

// `vaisseaux` without its first ship of this colour, the others in order.
std::deque<vaisseau> destroy_vaiss(std::deque<vaisseau> vaisseaux, couleur_t couleur);

}  // namespace jeu
