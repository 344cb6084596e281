#include "terminal/vitesse.h"

namespace jeu::terminal {

void suivi_vitesse::applique(jeu_client::requete action) {
  if (action == jeu_client::requete::accelere) {
    const double v = vitesse_ + pas_vitesse;
    vitesse_ = v > vitesse_maximale ? vitesse_maximale : v;
  } else if (action == jeu_client::requete::decelere) {
    const double v = vitesse_ - pas_vitesse;
    vitesse_ = v < vitesse_minimale ? vitesse_minimale : v;
  }
}

}  // namespace jeu::terminal
