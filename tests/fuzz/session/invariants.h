#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "world/monde.h"

namespace jeu::fuzz {

// The world's invariants, checked against a world whose cube field is drawn
// and never changes afterwards. Every check aborts (echec) at the first
// failure. The checks are for the fuzz target, which runs them after every
// line and every tick: each costs time linear in the ships and bullets, and
// allocates nothing once the colours of the input have been seen.
class invariants {
 public:
  // Takes a lookup of m.cubes by position (the field must not change later).
  explicit invariants(const monde& m);

  // Ships: at most max_vaisseaux, life in 1..max, speed in its bounds,
  // finite angle, centre within the arena margins and inside no cube,
  // distinct colours, serials handed out and in descending order. Bullets:
  // counted per colour, the counts equal m.balles_par_couleur, each in
  // 1..max_balles_par_vaisseau; after a tick, every bullet inside the arena.
  void verifie_monde(const monde& m, std::size_t max_vaisseaux, bool apres_tick)
      REQUIRES(m.verrou_monde);

  // The position index: as many entries as listed ships, and each listed
  // ship found where its position says, with its serial, colour and
  // position.
  void verifie_index(const monde& m) REQUIRES(m.verrou_monde);

  // The whole index walked (several thousand buckets): exactly the listed
  // ships, none twice, nothing else.
  void verifie_index_entier(const monde& m) REQUIRES(m.verrou_monde);

  // Forgets the colours counted so far (their memory is freed).
  void oublie_couleurs() { comptes_.clear(); }

 private:
  bool dans_un_cube(double x, double y) const;

  // Cells of taille_cube along each axis; each lists the cubes whose
  // closed extent overlaps it on both axes.
  static constexpr int cellules = 46;
  std::vector<cube> cubes_;
  std::vector<std::vector<std::uint16_t>> par_cellule_;
  // Bullets per colour, counted again at each check; a colour stays (at 0)
  // until oublie_couleurs, so counting allocates only for a new colour.
  std::unordered_map<couleur_t, int> comptes_;
};

}  // namespace jeu::fuzz
