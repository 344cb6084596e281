#include "simulation/apparition.h"

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "world/flotte.h"
#include "world/recherche.h"

namespace jeu {

using namespace configuration;

bool cree_vaisseau(monde& m, couleur_t couleur) {
  if (couleur_prise(m, couleur)) return false;
  const double angle = 6.28 * m.alea.reel();
  const double etendue_x = largeur_plateau - 2.0 * rayon_vaisseau;
  const double etendue_y = hauteur_plateau - 2.0 * rayon_vaisseau;
  // Bounded so that a full arena refuses the player instead of holding the
  // world lock for ever.
  for (int essai = 0; essai < essais_placement_max; ++essai) {
    const double x = m.alea.reel() * etendue_x + rayon_vaisseau;
    const double y = m.alea.reel() * etendue_y + rayon_vaisseau;
    if (inter_cubes(x, y, get_cube_inter_segments(m, x, y))) continue;
    if (inter_plateau(x, y)) continue;
    if (inter_vaisseau(m, x, y, couleur)) continue;
    if (inside_cube(x, y, m.cubes)) continue;
    place_vaisseau(m, vaisseau{x, y, angle, 0.0, max_pt_vie, couleur, 0});
    return true;
  }
  return false;
}

}  // namespace jeu
