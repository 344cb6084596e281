#pragma once

#include "world/monde.h"

namespace jeu {

// Puts `v` at the head of m.vaisseaux with the fresh serial
// m.prochaine_serie++ (v.serie is ignored), indexes it and counts its
// arrival (world/comptes.h). Returns the ship
// in the list. Out of memory: throws, with neither list nor index changed.
// REQUIRES: m.verrou_monde.
vaisseau& place_vaisseau(monde& m, vaisseau v) REQUIRES(m.verrou_monde);

// Moves the listed ship `s` to (x, y), list and index together.
// REQUIRES: m.verrou_monde.
void deplace_vaisseau(monde& m, vaisseau& s, double x, double y) REQUIRES(m.verrou_monde);

// Drops every ship, list and index. REQUIRES: m.verrou_monde.
void vide_vaisseaux(monde& m) REQUIRES(m.verrou_monde);

}  // namespace jeu
