#include "geometry/collisions.h"

namespace jeu {

using configuration::rayon_vaisseau;

bool inter_cubes(double x, double y, std::span<const segment> segments) {
  const double r2 = rayon_vaisseau * rayon_vaisseau;
  for (const segment& s : segments) {
    const point p1 = s.debut;
    const point p2 = s.fin;
    if ((x - p1.x) * (x - p1.x) + (y - p1.y) * (y - p1.y) <= r2) return true;
    if ((x - p2.x) * (x - p2.x) + (y - p2.y) * (y - p2.y) <= r2) return true;
    // The disc's diameter across the segment.
    const bool verticale = p1.x == p2.x;
    const point debut = verticale ? point{x - rayon_vaisseau, y} : point{x, y - rayon_vaisseau};
    const point fin = verticale ? point{x + rayon_vaisseau, y} : point{x, y + rayon_vaisseau};
    if (intersect_segment(p1, p2, debut, fin)) return true;
  }
  return false;
}

bool inter_plateau(double x, double y) {
  return x - rayon_vaisseau < 0 || x + rayon_vaisseau >= configuration::largeur_plateau - 1 ||
         y - rayon_vaisseau < 0 || y + rayon_vaisseau >= configuration::hauteur_plateau - 1;
}

bool inter_vaisseau(const monde& m, double x, double y, couleur_t couleur) {
  const double limite = 4.0 * rayon_vaisseau * rayon_vaisseau;
  return m.index.cherche(x, y, 2.0 * rayon_vaisseau, [&](const repere_vaisseau& v) {
    return v.couleur != couleur && (v.x - x) * (v.x - x) + (v.y - y) * (v.y - y) < limite;
  });
}

}  // namespace jeu
