#include "simulation/actions.h"

#include <cmath>
#include <deque>
#include <stdexcept>

namespace jeu {

namespace {

using namespace configuration;

vaisseau& get_joueur(std::deque<vaisseau>& vaisseaux, couleur_t couleur) {
  for (vaisseau& v : vaisseaux) {
    if (v.couleur == couleur) return v;
  }
  throw std::runtime_error("traite_action_joueur : joueur non trouve");
}

vaisseau& get_joueur(std::deque<vaisseau>& vaisseaux, const identite& id) {
  for (vaisseau& v : vaisseaux) {
    if (v.couleur == id.couleur && v.serie == id.serie) return v;
  }
  throw std::runtime_error("traite_action_joueur : joueur non trouve");
}

void applique(monde& m, vaisseau& s, action a) REQUIRES(m.verrou_monde) {
  switch (a) {
    case action::Tire: {
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

}  // namespace

// A player whose ship is gone (destroyed, or never registered) must not
// disturb its session: every failure ends the action quietly.
void traite_action_joueur(monde& m, couleur_t couleur, action a) {
  try {
    applique(m, get_joueur(m.vaisseaux, couleur), a);
  } catch (...) {
  }
}

void traite_action_joueur(monde& m, const identite& id, action a) {
  try {
    applique(m, get_joueur(m.vaisseaux, id), a);
  } catch (...) {
  }
}

}  // namespace jeu
