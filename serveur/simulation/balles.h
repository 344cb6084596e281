#pragma once

#include "simulation/destruction.h"
#include "world/monde.h"

namespace jeu {

// One bullet step: moves every bullet by vitesse_balle, drops those that leave
// the arena or run into a cube, then lets each remaining bullet, in list
// order, damage the first ship (from the head of m.vaisseaux) closer than
// 13.0; a ship left without life points is out of play for the bullets after
// it, and leaves the list at the end of the step. Done in one in-place pass
// that keeps the order of the remaining bullets and their per-colour counts.
// REQUIRES: m.verrou_monde.
void mise_a_jour_balles(monde& m) REQUIRES(m.verrou_monde);

// Whether the bullet's disc, centred at (x, y), leaves [0, largeur_plateau) x
// [0, hauteur_plateau) (the full width here, unlike the ships' border test).
bool hors_arene(const balle& b);

// Whether the bullet has run into the cube: the point of its circle nearest
// to the cube's reference point ((x1 + x2 + 1) / 2, (y1 + y2 + 1) / 2) lies
// in the cube, bounds included.
bool touche_cube(const balle& b, const cube& k);

// touche_cube for any cube of the field, asking only the grid cells whose
// cubes the bullet's circle can reach. The grid must match the cube list, as
// cree_cubes builds them. No lock: the grid is constant.
bool est_hors_jeu(const monde& m, const balle& b);

}  // namespace jeu
