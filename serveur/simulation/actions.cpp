#include "simulation/actions.h"

#include <cmath>

#include "world/comptes.h"
#include "world/munitions.h"
#include "world/recherche.h"

namespace jeu {

namespace {

using namespace configuration;

// `rang`: the ship's place in m.vaisseaux.
void applique(monde& m, vaisseau& s, std::size_t rang, action a) REQUIRES(m.verrou_monde) {
  switch (a) {
    case action::Tire: {
      if (!peut_tirer(m, s.couleur)) break;
      const double d = rayon_vaisseau + rayon_balle + 1.0;
      const double bx = s.x + (0.9 * d) * std::cos(s.angle);
      const double by = s.y + (0.9 * d) * std::sin(s.angle);
      ajoute_balle(m, balle{bx, by, s.angle, s.couleur});
      compte_tir(m, s.couleur);
      break;
    }
    case action::Gauche:
      s.angle = s.angle + pas_rotation;
      m.texte_vaisseaux.change(rang);
      break;
    case action::Droite:
      s.angle = s.angle - pas_rotation;
      m.texte_vaisseaux.change(rang);
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
    const auto s = position_vaisseau(m, id);
    if (s != m.vaisseaux.end()) {
      applique(m, *s, static_cast<std::size_t>(s - m.vaisseaux.begin()), a);
    }
  } catch (...) {
  }
}

}  // namespace jeu
