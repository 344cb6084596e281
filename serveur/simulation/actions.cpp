#include "simulation/actions.h"

#include <cmath>

#include "world/munitions.h"
#include "world/recherche.h"

namespace jeu {

namespace {

using namespace configuration;

void applique(monde& m, vaisseau& s, action a) REQUIRES(m.verrou_monde) {
  switch (a) {
    case action::Tire: {
      if (!peut_tirer(m, s.couleur)) break;
      const double d = rayon_vaisseau + rayon_balle + 1.0;
      const double bx = s.x + (0.9 * d) * std::cos(s.angle);
      const double by = s.y + (0.9 * d) * std::sin(s.angle);
      ajoute_balle(m, balle{bx, by, s.angle, s.couleur});
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

}  // namespace

// A player whose ship is gone (destroyed, or never registered) must not
// disturb its session: every failure ends the action quietly.
void traite_action_joueur(monde& m, const identite& id, action a) {
  try {
    if (vaisseau* s = cherche_vaisseau(m, id)) applique(m, *s, a);
  } catch (...) {
  }
}

}  // namespace jeu
