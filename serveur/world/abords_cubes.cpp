#include "world/abords_cubes.h"

#include <algorithm>

#include "world/plage_cellules.h"

namespace jeu {

abords_cubes::abords_cubes()
    : bits_(static_cast<std::size_t>(carres_par_axe) * mots_par_ligne, 0) {}

abords_cubes::intervalle abords_cubes::carres_demandant(int c) {
  // A square [k cote, (k + 1) cote) asks at most the cells that
  // cellules_de gives for its whole extent widened by the reach: the
  // function is non-decreasing in both bounds, and so is each bullet's
  // own widened interval in its centre. Only squares near the cell can, so
  // only those are tried.
  const double bord = c * configuration::taille_cube;
  const int premier = std::max(0, static_cast<int>((bord - 2 * configuration::taille_cube) / cote));
  const int dernier = std::min(
      carres_par_axe, static_cast<int>((bord + 3 * configuration::taille_cube) / cote) + 1);
  intervalle r{carres_par_axe, 0};
  for (int k = premier; k < dernier; ++k) {
    const plage_cellules p =
        cellules_de(k * cote - portee_cubes, (k + 1) * cote + portee_cubes, derniere_cellule_x);
    if (p.premiere <= c && c <= p.derniere) {
      r.debut = std::min(r.debut, k);
      r.fin = std::max(r.fin, k + 1);
    }
  }
  return r;
}

void abords_cubes::ajoute_cube(int i, int j) {
  const intervalle ci = carres_demandant(i);
  const intervalle cj = carres_demandant(j);
  for (int a = ci.debut; a < ci.fin; ++a) {
    for (int b = cj.debut; b < cj.fin; ++b) {
      bits_[static_cast<std::size_t>(a) * mots_par_ligne + (b >> 6)] |= std::uint64_t{1} << (b & 63);
    }
  }
}

}  // namespace jeu
