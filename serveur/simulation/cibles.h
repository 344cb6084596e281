#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "config/configuration.h"
#include "world/records.h"

namespace jeu {

// The ships one bullet step may hit, bucketed by position when the step
// starts: during a bullet step ships do not move, they only lose life points
// and leave. A query reads the ships of two buckets (rarely three) along each
// axis, stored side by side.
//
// Built from m.vaisseaux by a caller that holds m.verrou_monde for as long as
// it uses it; the list must not gain or lose ships meanwhile (ships are held
// by address and named by their list position, their rank).
class cibles {
 public:
  // A bullet touches a ship whose centre is closer than this, strictly.
  static constexpr double portee = configuration::rayon_vaisseau + configuration::rayon_balle;
  static constexpr double cote = 2.0 * portee;
  static constexpr int cases_par_axe = static_cast<int>(configuration::largeur_plateau / cote) + 1;

  explicit cibles(std::deque<vaisseau>& vaisseaux);

  // The rank of the first ship of the list, not retired, whose centre is
  // closer than portee to (x, y) by (s.x - x)^2 + (s.y - y)^2 < portee^2;
  // -1 when there is none.
  int touche(double x, double y) const {
    const int i0 = case_de(x - portee);
    const int i1 = case_de(x + portee);
    const int j0 = case_de(y - portee);
    const int j1 = case_de(y + portee);
    // Ranks compared unsigned: -1 is above every rank.
    unsigned meilleur = static_cast<unsigned>(-1);
    for (int i = i0; i <= i1; ++i) {
      const std::uint32_t d = debut_ligne_[static_cast<std::size_t>(i)];
      if (d == ligne_vide) continue;
      const std::uint32_t* const ligne = debuts_.data() + d;
      const std::uint32_t fin = ligne[j1 + 1];
      for (std::uint32_t e = ligne[j0]; e < fin; ++e) {
        const position& s = positions_[e];
        if ((s.x - x) * (s.x - x) + (s.y - y) * (s.y - y) < portee * portee &&
            rangs_[e] < meilleur) {
          meilleur = rangs_[e];
        }
      }
    }
    return static_cast<int>(meilleur);
  }

  vaisseau& navire(int rang) { return *navires_[static_cast<std::size_t>(rang)]; }

  // Takes the ship of this rank out of play: touche() no longer reads it.
  void retire(int rang);
  // One entry per listed ship, by rank: whether it was retired.
  const std::vector<char>& retires() const { return retires_; }
  bool aucun_retire() const { return aucun_retire_; }

 private:
  struct position {
    double x;
    double y;
  };

  // Non-decreasing in v, clamped to the grid (NaN to bucket 0): a ship
  // within portee of a point on an axis, in real numbers, always lies in
  // [case_de(point - portee), case_de(point + portee)] along it.
  static int case_de(double v) {
    const double c = v * (1.0 / cote);
    if (!(c >= 0.0)) return 0;
    if (c >= cases_par_axe - 1) return cases_par_axe - 1;
    return static_cast<int>(c);
  }

  static constexpr std::uint32_t ligne_vide = static_cast<std::uint32_t>(-1);

  // Buckets row by row along x. Only the rows holding ships have starts, so
  // that building costs time in the ships, not in the grid: row i has
  // cases_par_axe + 1 starts at debuts_[debut_ligne_[i]] (ligne_vide: no
  // ship in the row), and bucket (i, j) holds entries [start j, start j + 1)
  // of its row. Consecutive buckets along y are consecutive entries, and a
  // row's entries stay packed when a ship leaves.
  std::array<std::uint32_t, cases_par_axe> debut_ligne_;
  std::vector<std::uint32_t> debuts_;
  // Entries: where each ship in play stands and its rank.
  std::vector<position> positions_;
  std::vector<unsigned> rangs_;
  // By rank: the ship, its entry while in play (while building: its bucket's
  // start index), where its row's starts begin, whether it was retired.
  std::vector<vaisseau*> navires_;
  std::vector<std::uint32_t> entrees_;
  std::vector<std::uint32_t> lignes_;
  std::vector<char> retires_;
  bool aucun_retire_ = true;
};

}  // namespace jeu
