#include "terminal/cadrage.h"

#include <algorithm>
#include <cmath>

namespace jeu::terminal {

namespace {

int borne(double v, int n) {
  return std::clamp(static_cast<int>(std::floor(v)), 0, n - 1);
}

}  // namespace

disposition dispose(int colonnes, int lignes, double largeur_arene, double hauteur_arene) {
  disposition d;
  d.largeur_arene = largeur_arene;
  d.hauteur_arene = hauteur_arene;
  d.ligne_etat = std::max(lignes - 1, 0);
  const int largeur_max = colonnes - 2;
  const int hauteur_max = lignes - 3;
  if (largeur_max < 1 || hauteur_max < 1) return d;

  const double colonnes_par_ligne = rapport_cellule * largeur_arene / hauteur_arene;
  if (hauteur_max * colonnes_par_ligne <= largeur_max) {
    d.hauteur = hauteur_max;
    d.largeur = std::max(1, static_cast<int>(std::lround(hauteur_max * colonnes_par_ligne)));
  } else {
    d.largeur = largeur_max;
    d.hauteur = std::clamp(static_cast<int>(std::lround(largeur_max / colonnes_par_ligne)), 1,
                           hauteur_max);
  }
  d.colonne = (colonnes - (d.largeur + 2)) / 2 + 1;
  d.ligne = (lignes - 1 - (d.hauteur + 2)) / 2 + 1;
  return d;
}

case_ecran case_de(const disposition& d, double x, double y) {
  return {d.colonne + borne(x * d.largeur / d.largeur_arene, d.largeur),
          d.ligne + borne(y * d.hauteur / d.hauteur_arene, d.hauteur)};
}

zone zone_de(const disposition& d, double x1, double y1, double x2, double y2) {
  const int c0 = borne(x1 * d.largeur / d.largeur_arene, d.largeur);
  const int l0 = borne(y1 * d.hauteur / d.hauteur_arene, d.hauteur);
  const int c1 = std::max(c0, borne(std::ceil(x2 * d.largeur / d.largeur_arene) - 1, d.largeur));
  const int l1 = std::max(l0, borne(std::ceil(y2 * d.hauteur / d.hauteur_arene) - 1, d.hauteur));
  return {d.colonne + c0, d.ligne + l0, d.colonne + c1, d.ligne + l1};
}

}  // namespace jeu::terminal
