#pragma once

#include <cstdint>
#include <vector>

#include "config/configuration.h"
#include "world/records.h"

namespace jeu {

// What the index keeps of a ship: enough to answer distance queries and to
// find the ship again in the list (by serial, the list being in descending
// serial order).
struct repere_vaisseau {
  double x;
  double y;
  couleur_t couleur;
  std::uint64_t serie;
};

// Ships bucketed by position on a square grid, so that "which ships lie near
// (x, y)" reads a few buckets instead of the whole list. It holds no lock of
// its own: the world keeps it under verrou_monde, in step with its ship list.
class index_vaisseaux {
 public:
  // Side of a bucket: twice a ship's radius, so at most a handful of ships,
  // which stay 18 apart, share one.
  static constexpr double cote = 2.0 * configuration::rayon_vaisseau;
  static constexpr int cases_par_axe =
      static_cast<int>(configuration::largeur_plateau / cote) + 1;

  index_vaisseaux();

  // Adds a ship at its position. Its serial must not be in the index yet.
  void ajoute(const vaisseau& v);
  // Moves the ship with this serial, indexed at (ancien_x, ancien_y), to (x, y).
  void deplace(std::uint64_t serie, double ancien_x, double ancien_y, double x, double y);
  // Removes the ship with this serial, indexed at (x, y); absent: no change.
  void retire(std::uint64_t serie, double x, double y);
  void vide();
  std::size_t size() const { return taille_; }

  // Calls f(repere) for every indexed ship whose centre may lie within
  // `portee` of (x, y) on both axes (a superset: f does the exact test), and
  // stops at the first call that returns true; returns whether one did.
  // Exact even on bucket boundaries: a ship with |v.x - x| < portee, in real
  // numbers, is always visited.
  template <class F>
  bool cherche(double x, double y, double portee, F&& f) const {
    const int i0 = case_de(x - portee);
    const int i1 = case_de(x + portee);
    const int j0 = case_de(y - portee);
    const int j1 = case_de(y + portee);
    for (int i = i0; i <= i1; ++i) {
      for (int j = j0; j <= j1; ++j) {
        for (const repere_vaisseau& r : cases_[i * cases_par_axe + j]) {
          if (f(r)) return true;
        }
      }
    }
    return false;
  }

  // Every indexed ship, in no particular order (for checks and tests).
  std::vector<repere_vaisseau> tous() const;

 private:
  // Monotone in v (so a query box never misses a bucket), clamped to the
  // grid: ships placed off the arena still land in a border bucket.
  static int case_de(double v);
  std::vector<repere_vaisseau>& seau(double x, double y);

  std::vector<std::vector<repere_vaisseau>> cases_;
  std::size_t taille_ = 0;
};

}  // namespace jeu
