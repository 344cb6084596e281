#pragma once

#include <span>

#include "geometry/segment.h"
#include "world/monde.h"

namespace jeu {

// Moves every ship once, from the head of m.vaisseaux: straight ahead by
// vitesse along angle when that place is free, else by try_best_move. Each
// ship tests against the positions already reached by the ships before it.
// Only x and y change, and the index with them. REQUIRES: m.verrou_monde.
void mise_a_jour_vaisseaux(monde& m) REQUIRES(m.verrou_monde);

// Whether a ship of colour `couleur` centred at (x, y) would collide:
// inter_cubes with `segments`, else inter_plateau, else inter_vaisseau.
// REQUIRES: m.verrou_monde.
bool has_inter_maj(const monde& m, double x, double y, couleur_t couleur,
                   std::span<const segment> segments) REQUIRES(m.verrou_monde);

// Slides the blocked ship `s` to the free offset (i, j), i and j whole in
// [-n, n] with n = trunc(|vitesse| + 0.5), that goes furthest along its wanted
// displacement; the first free one in i-then-j order wins ties and is taken
// even when it goes backwards. No free offset: `s` stays. `segments` are the
// cube edges near s's position. REQUIRES: m.verrou_monde.
void try_best_move(monde& m, vaisseau& s, std::span<const segment> segments)
    REQUIRES(m.verrou_monde);

}  // namespace jeu
