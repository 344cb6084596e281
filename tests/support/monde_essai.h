#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "geometry/cube_field.h"
#include "world/flotte.h"
#include "world/monde.h"
#include "world/munitions.h"

// Building blocks of hand-made test worlds.
namespace jeu::essai {

inline vaisseau navire(double x, double y, couleur_t couleur, double angle = 0.0,
                       double vitesse = 0.0, int pt_vie = 5, std::uint64_t serie = 0) {
  return {x, y, angle, vitesse, pt_vie, couleur, serie};
}

// Puts a cube in arena cell (i, j), as cree_cubes would.
inline void pose_cube(monde& m, int i, int j) {
  marque_cellule_cube(m, i, j);
  const double x = i * 22.0;
  const double y = j * 22.0;
  m.cubes.push_back({x, y, x + 22.0, y + 22.0});
}

// Puts `navires` at the head of m.vaisseaux, listed in the given order (the
// last one is placed first), with fresh serials as in the game.
inline void pose(monde& m, std::initializer_list<vaisseau> navires) REQUIRES(m.verrou_monde) {
  const std::vector<vaisseau> tous(navires);
  for (auto v = tous.rbegin(); v != tous.rend(); ++v) place_vaisseau(m, *v);
}

// Puts `balles` at the head of m.balles, listed in the given order, counted
// per colour as fired bullets are.
inline void lance(monde& m, std::initializer_list<balle> balles) REQUIRES(m.verrou_monde) {
  const std::vector<balle> toutes(balles);
  for (auto b = toutes.rbegin(); b != toutes.rend(); ++b) ajoute_balle(m, *b);
}

inline identite id_de(const vaisseau& v) { return {v.couleur, v.serie}; }

// What is wrong with the world's own bookkeeping, "" when nothing: the index
// holds exactly the listed ships where they stand, the per-colour counts
// match the bullets, life points lie in 1..max_pt_vie, serials descend.
std::string incoherences(monde& m) REQUIRES(m.verrou_monde);

inline bool meme(const vaisseau& a, const vaisseau& b) {
  return a.x == b.x && a.y == b.y && a.angle == b.angle && a.vitesse == b.vitesse &&
         a.pt_vie == b.pt_vie && a.couleur == b.couleur && a.serie == b.serie;
}

}  // namespace jeu::essai
