#include "world/munitions.h"

namespace jeu {

bool peut_tirer(const monde& m, couleur_t couleur) {
  const auto n = m.balles_par_couleur.find(couleur);
  return n == m.balles_par_couleur.end() || n->second < configuration::max_balles_par_vaisseau;
}

void ajoute_balle(monde& m, const balle& b) {
  // Either step may fail to allocate: the count is made first and undone if
  // the bullet cannot be added, so count and list always agree.
  int& compte = m.balles_par_couleur[b.couleur];
  try {
    m.balles.push_front(b);
  } catch (...) {
    if (compte == 0) m.balles_par_couleur.erase(b.couleur);
    throw;
  }
  ++compte;
}

void decompte_balle(monde& m, couleur_t couleur) {
  const auto n = m.balles_par_couleur.find(couleur);
  if (n != m.balles_par_couleur.end() && --n->second <= 0) m.balles_par_couleur.erase(n);
}

void vide_balles(monde& m) {
  m.balles.clear();
  m.balles_par_couleur.clear();
}

}  // namespace jeu
