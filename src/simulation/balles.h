#pragma once

#include <deque>
#include <span>

#include "simulation/destruction.h"
#include "world/monde.h"

namespace jeu {

// One bullet step: moves every bullet by vitesse_balle, drops those that leave
// the arena or run into a cube, then lets each remaining bullet, in list
// order, damage the first ship closer than 13.0; ships left without life
// points are removed at once. REQUIRES: m.verrou_monde.
void mise_a_jour_balles(monde& m) REQUIRES(m.verrou_monde);

// m.balles := met_a_jour(m.balles, m.cubes). REQUIRES: m.verrou_monde.
void mise_a_jour_pos_balles(monde& m) REQUIRES(m.verrou_monde);

// Moves each bullet by vitesse_balle along its angle and returns, in their
// order, those whose disc is still inside [0, largeur_plateau) x
// [0, hauteur_plateau) and that ran into none of `cubes` (est_hors_jeu).
std::deque<balle> met_a_jour(std::deque<balle> balles, std::span<const cube> cubes);

// Whether the bullet has run into one of `cubes`: the point of its circle
// nearest to a cube's reference point ((x1 + x2 + 1) / 2, (y1 + y2 + 1) / 2)
// lies in that cube, bounds included.
bool est_hors_jeu(const balle& b, std::span<const cube> cubes);

// Applies the hits of `balles`, in list order, to m.vaisseaux (a_impact_vaisseau)
// and returns the bullets that hit nothing, in order. REQUIRES: m.verrou_monde.
std::deque<balle> calc_impact(monde& m, std::deque<balle> balles) REQUIRES(m.verrou_monde);

// Whether `b` is closer than rayon_vaisseau + rayon_balle (strictly) to a
// ship; the first such ship from the head loses degats_balle life points and
// is removed by detruit_vaisseau when it has none left. REQUIRES: m.verrou_monde.
bool a_impact_vaisseau(monde& m, const balle& b) REQUIRES(m.verrou_monde);

}  // namespace jeu
