#pragma once

#include "config/configuration.h"

namespace jeu {

// Cells of the obstacle grid (arena cells -1..dernier_indice along an axis)
// whose closed square [22 i, 22 i + 22] can hold a coordinate of [bas, haut].
// A coordinate on a cell boundary belongs to both neighbours.
struct plage_cellules {
  int premiere;
  int derniere;
};

// Defined for bas > -22 and haut >= 0 (a bullet inside the arena, widened by
// its radius). Truncating casts stand for ceil and floor there (cheaper).
// Non-decreasing in bas and in haut: a wider interval never gets fewer cells.
inline plage_cellules cellules_de(double bas, double haut, int dernier_indice) {
  const double q = bas / configuration::taille_cube;
  const int entier = static_cast<int>(q);
  const int premiere = q <= 0.0 ? -1 : (q == entier ? entier - 1 : entier);
  const int derniere = static_cast<int>(haut / configuration::taille_cube);
  return {premiere, derniere > dernier_indice ? dernier_indice : derniere};
}

// The last cell the cube test asks along each axis: the always-free cell
// just past the arena.
inline constexpr int derniere_cellule_x =
    static_cast<int>(configuration::largeur_plateau / configuration::taille_cube);
inline constexpr int derniere_cellule_y =
    static_cast<int>(configuration::hauteur_plateau / configuration::taille_cube);

// How far from a bullet's centre the cube test looks: its radius, with a
// margin far above the rounding of the tested point on its circle.
inline constexpr double portee_cubes = configuration::rayon_balle + 1e-6;

}  // namespace jeu
