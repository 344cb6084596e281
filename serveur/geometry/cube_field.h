#pragma once

#include <span>
#include <vector>

#include "geometry/segment.h"
#include "world/monde.h"

namespace jeu {

// The exposed cube edges near a point, most recently found first. Never more
// than 36 (nine cells, four edges each), so it lives on the stack.
class liste_segments {
 public:
  static constexpr int capacite = 36;

  void ajoute_en_tete(const segment& s) { elements_[--debut_] = s; }
  const segment* begin() const { return elements_.data() + debut_; }
  const segment* end() const { return elements_.data() + capacite; }
  int size() const { return capacite - debut_; }
  bool empty() const { return debut_ == capacite; }
  const segment& operator[](int i) const { return elements_[debut_ + i]; }
  operator std::span<const segment>() const { return {begin(), end()}; }

 private:
  std::array<segment, capacite> elements_;
  int debut_ = capacite;
};

// Marks arena cell (i, j), 0 <= i, j < 45, as holding a cube: in
// m.grille_cubes and in m.abords. The only writer of both, so they stay in
// step. Call before other threads read the grid.
void marque_cellule_cube(monde& m, int i, int j);

// Draws n cubes in distinct random cells of the arena, marks their cells in
// m.grille_cubes and returns them, last drawn first. Throws
// std::invalid_argument "cree_cubes : pas de cubes" when n < 0 (nothing drawn)
// and when n exceeds the number of cells. REQUIRES: m.verrou_monde (it draws
// from m.alea); call before other threads read the grid.
std::vector<cube> cree_cubes(monde& m, int n) REQUIRES(m.verrou_monde);

// Edges of the cubes in the 3 x 3 cells around (x, y) that a disc there could
// run into: edges shared by two adjacent cubes are left out. Edges are 21
// units long. Throws std::out_of_range unless -22 < x < 990 and -22 < y < 990.
// Reads only the grid, which is constant once the field is built: no lock.
liste_segments get_cube_inter_segments(const monde& m, double x, double y);

// Whether (x, y) lies inside or on the border of one of `cubes`, with the
// tolerance of `left`.
bool inside_cube(double x, double y, std::span<const cube> cubes);

}  // namespace jeu
