#pragma once

#include "world/monde.h"

namespace jeu {

// Removes the first ship of this colour from m.vaisseaux, keeping the order of
// the others; no such ship: nothing changes. REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// Removes the ship with exactly this colour and serial, if it is still there.
// REQUIRES: m.verrou_monde.
void detruit_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

// One bullet step: moves every bullet by vitesse_balle, drops those that leave
// the arena or run into a cube, then lets each remaining bullet, in list
// order, damage the first ship closer than 13.0; ships left without life
// points are removed at once. REQUIRES: m.verrou_monde.
void mise_a_jour_balles(monde& m) REQUIRES(m.verrou_monde);

}  // namespace jeu
