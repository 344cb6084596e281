#include "simulation/balles.h"

#include <cmath>
#include <utility>

namespace jeu {

using namespace configuration;

void mise_a_jour_balles(monde& m) {
  mise_a_jour_pos_balles(m);
  m.balles = calc_impact(m, std::move(m.balles));
}

void mise_a_jour_pos_balles(monde& m) { m.balles = met_a_jour(std::move(m.balles), m.cubes); }

std::deque<balle> met_a_jour(std::deque<balle> balles, std::span<const cube> cubes) {
  std::deque<balle> restantes;
  for (balle& b : balles) {
    b.x = b.x + std::cos(b.angle) * vitesse_balle;
    b.y = b.y + std::sin(b.angle) * vitesse_balle;
    // The full width here, unlike the ships' border test, which stops at 989.
    if (b.x - rayon_balle < 0) continue;
    if (b.x + rayon_balle >= largeur_plateau) continue;
    if (b.y - rayon_balle < 0) continue;
    if (b.y + rayon_balle >= hauteur_plateau) continue;
    if (est_hors_jeu(b, cubes)) continue;
    restantes.push_back(b);
  }
  return restantes;
}

bool est_hors_jeu(const balle& b, std::span<const cube> cubes) {
  for (const cube& k : cubes) {
    const double cx = (k.x1 + k.x2 + 1.0) / 2.0;
    const double cy = (k.y1 + k.y2 + 1.0) / 2.0;
    double px = 0.0;
    double py = 0.0;
    if (b.x == cx) {
      px = b.x;
      py = b.y >= cy ? b.y - rayon_balle : b.y + rayon_balle;
    } else {
      const double a = (b.y - cy) / (b.x - cx);
      const double u = std::sqrt(rayon_balle * rayon_balle / (a * a + 1.0));
      if (b.x > cx) {
        px = b.x - u;
        py = b.y - a * u;
      } else {
        px = b.x + u;
        py = b.y + a * u;
      }
    }
    if (k.x1 <= px && px <= k.x2 && k.y1 <= py && py <= k.y2) return true;
  }
  return false;
}

std::deque<balle> calc_impact(monde& m, std::deque<balle> balles) {
  std::deque<balle> restantes;
  for (const balle& b : balles) {
    if (!a_impact_vaisseau(m, b)) restantes.push_back(b);
  }
  return restantes;
}

bool a_impact_vaisseau(monde& m, const balle& b) {
  const double portee = rayon_vaisseau + rayon_balle;
  for (vaisseau& s : m.vaisseaux) {
    if ((s.x - b.x) * (s.x - b.x) + (s.y - b.y) * (s.y - b.y) < portee * portee) {
      s.pt_vie = s.pt_vie - degats_balle;
      // Removing the ship invalidates `s`; nothing reads it afterwards.
      if (s.pt_vie <= 0) detruit_vaisseau(m, s.couleur);
      return true;
    }
  }
  return false;
}

}  // namespace jeu
