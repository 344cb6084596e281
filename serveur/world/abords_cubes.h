#pragma once

#include <cstdint>
#include <vector>

#include "config/configuration.h"

namespace jeu {

// Where a bullet may run into a cube. The arena is cut into squares of side
// `cote`; a square is marked when, for some bullet centre in it, est_hors_jeu
// (simulation/balles.h) would ask a grid cell that holds a cube. An unmarked
// square therefore answers "no cube" for every bullet centred in it, in one
// lookup; a marked one leaves the exact test to est_hors_jeu. Most of the
// arena is unmarked.
//
// Kept in step with the obstacle grid by marque_cellule_cube
// (geometry/cube_field.h), the grid's only writer; constant afterwards, so
// readers need no lock.
class abords_cubes {
 public:
  static constexpr double cote = 2.0;
  static constexpr int carres_par_axe = static_cast<int>(configuration::largeur_plateau / cote);
  static_assert(carres_par_axe * cote == configuration::largeur_plateau &&
                configuration::largeur_plateau == configuration::hauteur_plateau);

  abords_cubes();

  // Marks the squares whose bullets would ask grid cell (i, j) of the arena.
  void ajoute_cube(int i, int j);

  // Whether a bullet centred at (x, y) may touch a cube. Defined for
  // 0 <= x, y < largeur_plateau (bullets that passed the border test).
  bool peut_toucher(double x, double y) const {
    // x * 0.5 is exact and its truncation is floor for x >= 0.
    const int i = static_cast<int>(x * (1.0 / cote));
    const int j = static_cast<int>(y * (1.0 / cote));
    return (bits_[static_cast<std::size_t>(i) * mots_par_ligne + (j >> 6)] >> (j & 63)) & 1u;
  }

 private:
  static constexpr int mots_par_ligne = (carres_par_axe + 63) / 64;
  // The squares along one axis whose bullets would ask cell `c`, as [debut, fin).
  struct intervalle {
    int debut;
    int fin;
  };
  static intervalle carres_demandant(int c);

  std::vector<std::uint64_t> bits_;
};

}  // namespace jeu
