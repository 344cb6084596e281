#include "simulation/mouvement.h"

#include <cmath>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "world/flotte.h"

namespace jeu {

namespace {

void maj(monde& m) REQUIRES(m.verrou_monde) {
  for (vaisseau& s : m.vaisseaux) {
    // Taken once, before the move, and used for every place tried: a move
    // of at most 3 * sqrt(2) cannot reach edges outside these nine cells.
    const liste_segments segments = get_cube_inter_segments(m, s.x, s.y);
    const double nx = s.x + std::cos(s.angle) * s.vitesse;
    const double ny = s.y + std::sin(s.angle) * s.vitesse;
    if (!has_inter_maj(m, nx, ny, s.couleur, segments)) {
      deplace_vaisseau(m, s, nx, ny);
    } else {
      try_best_move(m, s, segments);
    }
  }
}

}  // namespace

void mise_a_jour_vaisseaux(monde& m) { maj(m); }

bool has_inter_maj(const monde& m, double x, double y, couleur_t couleur,
                   std::span<const segment> segments) {
  return inter_cubes(x, y, segments) || inter_plateau(x, y) || inter_vaisseau(m, x, y, couleur);
}

void try_best_move(monde& m, vaisseau& s, std::span<const segment> segments) {
  const int n = static_cast<int>(std::abs(s.vitesse) + 0.5);
  const double dx = std::cos(s.angle) * s.vitesse;
  const double dy = std::sin(s.angle) * s.vitesse;
  bool trouve = false;
  double meilleur = 0.0;
  double meilleur_x = 0.0;
  double meilleur_y = 0.0;
  for (int i = -n; i <= n; ++i) {
    for (int j = -n; j <= n; ++j) {
      if (i == 0 && j == 0) continue;
      const double score = i * dx + j * dy;
      if (trouve && !(score > meilleur)) continue;
      const double cx = s.x + i;
      const double cy = s.y + j;
      if (!has_inter_maj(m, cx, cy, s.couleur, segments)) {
        trouve = true;
        meilleur = score;
        meilleur_x = cx;
        meilleur_y = cy;
      }
    }
  }
  if (trouve) {
    deplace_vaisseau(m, s, meilleur_x, meilleur_y);
  }
}

}  // namespace jeu
