#include "geometry/cube_field.h"

#include <algorithm>
#include <stdexcept>

namespace jeu {

namespace {

constexpr int t = static_cast<int>(configuration::taille_cube);
constexpr int colonnes = static_cast<int>(configuration::largeur_plateau) / t;
constexpr int rangees = static_cast<int>(configuration::hauteur_plateau) / t;

bool occupee(const grille& g, int i, int j) { return g[i + 1][j + 1]; }

}  // namespace

void marque_cellule_cube(monde& m, int i, int j) {
  m.grille_cubes[i + 1][j + 1] = true;
  m.abords.ajoute_cube(i, j);
}

std::vector<cube> cree_cubes(monde& m, int n) {
  if (n < 0) throw std::invalid_argument("cree_cubes : pas de cubes");
  if (n > colonnes * rangees) throw std::invalid_argument("cree_cubes : trop de cubes");
  std::vector<std::array<bool, rangees>> prise(colonnes);
  std::vector<cube> tires;
  tires.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    int i = 0;
    int j = 0;
    do {
      i = m.alea.entier(colonnes);
      j = m.alea.entier(rangees);
    } while (prise[i][j]);
    prise[i][j] = true;
    marque_cellule_cube(m, i, j);
    const double x = static_cast<double>(i) * configuration::taille_cube;
    const double y = static_cast<double>(j) * configuration::taille_cube;
    tires.push_back({x, y, x + configuration::taille_cube, y + configuration::taille_cube});
  }
  std::reverse(tires.begin(), tires.end());
  return tires;
}

liste_segments get_cube_inter_segments(const monde& m, double x, double y) {
  if (!(x > -configuration::taille_cube && x < colonnes * configuration::taille_cube &&
        y > -configuration::taille_cube && y < rangees * configuration::taille_cube)) {
    throw std::out_of_range("get_cube_inter_segments : point hors du plateau");
  }
  const grille& g = m.grille_cubes;
  const int cx = static_cast<int>(x) / t;
  const int cy = static_cast<int>(y) / t;
  constexpr double cote = configuration::taille_cube - 1.0;
  liste_segments resultat;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      const int i = cx + dx;
      const int j = cy + dy;
      if (!occupee(g, i, j)) continue;
      const double bas_x = t * i;
      const double bas_y = t * j;
      const double haut_x = t * (i + 1) - 1;
      const double haut_y = t * (j + 1) - 1;
      if (dx <= 0 && !occupee(g, i + 1, j)) {
        resultat.ajoute_en_tete({{haut_x, bas_y}, {haut_x, bas_y + cote}});
      }
      if (dx >= 0 && !occupee(g, i - 1, j)) {
        resultat.ajoute_en_tete({{bas_x, bas_y}, {bas_x, bas_y + cote}});
      }
      if (dy <= 0 && !occupee(g, i, j + 1)) {
        resultat.ajoute_en_tete({{bas_x, haut_y}, {bas_x + cote, haut_y}});
      }
      if (dy >= 0 && !occupee(g, i, j - 1)) {
        resultat.ajoute_en_tete({{bas_x, bas_y}, {bas_x + cote, bas_y}});
      }
    }
  }
  return resultat;
}

bool inside_cube(double x, double y, std::span<const cube> cubes) {
  const point p{x, y};
  const auto accepte = [&p](point debut, point fin) {
    const int s = left(debut, fin, p);
    return s == 1 || (s == 0 && between(debut, fin, p));
  };
  for (const cube& c : cubes) {
    const point a{c.x1, c.y1};
    const point b{c.x2, c.y1};
    const point cc{c.x2, c.y2};
    const point d{c.x1, c.y2};
    if (accepte(a, b) && accepte(b, cc) && accepte(cc, d) && accepte(d, a)) return true;
  }
  return false;
}

}  // namespace jeu
