#include "support/tick_litteral.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <span>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "simulation/apparition.h"

namespace jeu::litteral {

namespace {

using namespace configuration;

bool inter_vaisseau_liste(const monde& m, double x, double y, couleur_t couleur) REQUIRES(m.verrou_monde) {
  const double limite = 4.0 * rayon_vaisseau * rayon_vaisseau;
  for (const vaisseau& v : m.vaisseaux) {
    if (v.couleur == couleur) continue;
    if ((v.x - x) * (v.x - x) + (v.y - y) * (v.y - y) < limite) return true;
  }
  return false;
}

bool has_inter_maj(const monde& m, double x, double y, couleur_t couleur,
                   std::span<const segment> segments) REQUIRES(m.verrou_monde) {
  return inter_cubes(x, y, segments) || inter_plateau(x, y) || inter_vaisseau_liste(m, x, y, couleur);
}

void try_best_move(monde& m, vaisseau& s, std::span<const segment> segments)
    REQUIRES(m.verrou_monde) {
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
    s.x = meilleur_x;
    s.y = meilleur_y;
  }
}

void mise_a_jour_vaisseaux(monde& m) REQUIRES(m.verrou_monde) {
  for (vaisseau& s : m.vaisseaux) {
    const liste_segments segments = get_cube_inter_segments(m, s.x, s.y);
    const double nx = s.x + std::cos(s.angle) * s.vitesse;
    const double ny = s.y + std::sin(s.angle) * s.vitesse;
    if (!has_inter_maj(m, nx, ny, s.couleur, segments)) {
      s.x = nx;
      s.y = ny;
    } else {
      try_best_move(m, s, segments);
    }
  }
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

std::deque<balle> met_a_jour(std::deque<balle> balles, std::span<const cube> cubes) {
  std::deque<balle> restantes;
  for (balle& b : balles) {
    b.x = b.x + std::cos(b.angle) * vitesse_balle;
    b.y = b.y + std::sin(b.angle) * vitesse_balle;
    if (b.x - rayon_balle < 0) continue;
    if (b.x + rayon_balle >= largeur_plateau) continue;
    if (b.y - rayon_balle < 0) continue;
    if (b.y + rayon_balle >= hauteur_plateau) continue;
    if (est_hors_jeu(b, cubes)) continue;
    restantes.push_back(b);
  }
  return restantes;
}

std::deque<vaisseau> destroy_vaiss(std::deque<vaisseau> vaisseaux, couleur_t couleur) {
  const auto premier = std::find_if(vaisseaux.begin(), vaisseaux.end(),
                                    [couleur](const vaisseau& v) { return v.couleur == couleur; });
  if (premier != vaisseaux.end()) vaisseaux.erase(premier);
  return vaisseaux;
}

bool a_impact_vaisseau(monde& m, const balle& b) REQUIRES(m.verrou_monde) {
  const double portee = rayon_vaisseau + rayon_balle;
  for (vaisseau& s : m.vaisseaux) {
    if ((s.x - b.x) * (s.x - b.x) + (s.y - b.y) * (s.y - b.y) < portee * portee) {
      s.pt_vie = s.pt_vie - degats_balle;
      if (s.pt_vie <= 0) detruit_vaisseau(m, s.couleur);
      return true;
    }
  }
  return false;
}

std::deque<balle> calc_impact(monde& m, std::deque<balle> balles) REQUIRES(m.verrou_monde) {
  std::deque<balle> restantes;
  for (const balle& b : balles) {
    if (!a_impact_vaisseau(m, b)) restantes.push_back(b);
  }
  return restantes;
}

}  // namespace

void detruit_vaisseau(monde& m, couleur_t couleur) {
  m.vaisseaux = destroy_vaiss(std::move(m.vaisseaux), couleur);
}

void avance_monde(monde& m) {
  std::deque<balle> balles(m.balles.begin(), m.balles.end());
  balles = met_a_jour(std::move(balles), m.cubes);
  balles = calc_impact(m, std::move(balles));
  m.balles.assign(balles.begin(), balles.end());
  mise_a_jour_vaisseaux(m);
}

bool cree_vaisseau(monde& m, couleur_t couleur) {
  for (const vaisseau& v : m.vaisseaux) {
    if (v.couleur == couleur) return false;
  }
  const double angle = 6.28 * m.alea.reel();
  const double etendue_x = largeur_plateau - 2.0 * rayon_vaisseau;
  const double etendue_y = hauteur_plateau - 2.0 * rayon_vaisseau;
  for (int essai = 0; essai < essais_placement_max; ++essai) {
    const double x = m.alea.reel() * etendue_x + rayon_vaisseau;
    const double y = m.alea.reel() * etendue_y + rayon_vaisseau;
    if (inter_cubes(x, y, get_cube_inter_segments(m, x, y))) continue;
    if (inter_plateau(x, y)) continue;
    if (inter_vaisseau_liste(m, x, y, couleur)) continue;
    if (inside_cube(x, y, m.cubes)) continue;
    m.vaisseaux.push_front(vaisseau{x, y, angle, 0.0, max_pt_vie, couleur, m.prochaine_serie++});
    return true;
  }
  return false;
}

void traite_action_joueur(monde& m, couleur_t couleur, action a) {
  vaisseau* trouve = nullptr;
  for (vaisseau& v : m.vaisseaux) {
    if (v.couleur == couleur) {
      trouve = &v;
      break;
    }
  }
  if (trouve == nullptr) return;
  vaisseau& s = *trouve;
  switch (a) {
    case action::Tire: {
      const auto en_vol = std::count_if(m.balles.begin(), m.balles.end(),
                                        [&s](const balle& b) { return b.couleur == s.couleur; });
      if (en_vol >= max_balles_par_vaisseau) break;
      const double d = rayon_vaisseau + rayon_balle + 1.0;
      const double bx = s.x + (0.9 * d) * std::cos(s.angle);
      const double by = s.y + (0.9 * d) * std::sin(s.angle);
      m.balles.push_front(balle{bx, by, s.angle, s.couleur});
      break;
    }
    case action::Gauche:
      s.angle = s.angle + pas_rotation;
      break;
    case action::Droite:
      s.angle = s.angle - pas_rotation;
      break;
    case action::Accelere: {
      const double v = s.vitesse + pas_acceleration;
      s.vitesse = v > vitesse_max ? vitesse_max : v;
      break;
    }
    case action::Decelere: {
      const double v = s.vitesse - pas_acceleration;
      s.vitesse = v < vitesse_min ? vitesse_min : v;
      break;
    }
    case action::Quitte:
      break;
  }
}

}  // namespace jeu::litteral
