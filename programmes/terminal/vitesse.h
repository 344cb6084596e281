#pragma once

// The own ship's speed, which the server never sends: followed from the
// actions sent, with the server's step and bounds.

#include "jeu_client.h"

namespace jeu::terminal {

inline constexpr double pas_vitesse = 0.1;
inline constexpr double vitesse_maximale = 3.0;
inline constexpr double vitesse_minimale = -2.0;

class suivi_vitesse {
 public:
  // "accelere" adds a step up to the maximum, "decelere" takes one off down
  // to the minimum, the same sums as the server's; other actions change nothing.
  void applique(jeu_client::requete action);
  // A new ship starts at rest.
  void remet_a_zero() { vitesse_ = 0; }
  double valeur() const { return vitesse_; }

 private:
  double vitesse_ = 0;
};

}  // namespace jeu::terminal
