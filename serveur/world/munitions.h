#pragma once

#include "world/monde.h"

namespace jeu {

// Whether a ship of this colour may fire: fewer than max_balles_par_vaisseau
// bullets of its colour in flight. REQUIRES: m.verrou_monde.
bool peut_tirer(const monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// Puts `b` (and its move) at the head of m.balles and counts it for its
// colour.
// REQUIRES: m.verrou_monde.
void ajoute_balle(monde& m, const balle& b) REQUIRES(m.verrou_monde);

// Uncounts one bullet of this colour, which the caller has taken (or is
// taking) out of m.balles. REQUIRES: m.verrou_monde.
void decompte_balle(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// Drops every bullet, lists and counts. REQUIRES: m.verrou_monde.
void vide_balles(monde& m) REQUIRES(m.verrou_monde);

}  // namespace jeu
