#pragma once

// The tick as first written: every bullet against every cube and every ship,
// every ship against every other, bullet lists rebuilt. Slow and plain, it is
// the reference the indexed tick must match bit for bit. It reads and writes
// only m.vaisseaux, m.balles, m.alea and m.prochaine_serie (never the index
// or the bullet counts), so keep a world for it alone. A deliberate copy of
// the simulation's algorithms, not shared with them: a fault in one then
// shows as a difference.

#include "simulation/actions.h"
#include "world/monde.h"

namespace jeu::litteral {

// One tick: bullets (moved and filtered, then hits in list order), then ships.
void avance_monde(monde& m) REQUIRES(m.verrou_monde);

// Spawning with the colour test and the ship test over the whole list.
bool cree_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// The action on the first ship of this colour; a shot counts the colour's
// bullets over the whole list against max_balles_par_vaisseau.
void traite_action_joueur(monde& m, couleur_t couleur, action a) REQUIRES(m.verrou_monde);

// Removes the first ship of this colour.
void detruit_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

}  // namespace jeu::litteral
