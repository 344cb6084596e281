#include "world/munitions.h"

namespace jeu {

bool peut_tirer(const monde& m, couleur_t couleur) {
  const auto n = m.balles_par_couleur.find(couleur);
  return n == m.balles_par_couleur.end() || n->second < configuration::max_balles_par_vaisseau;
}

void ajoute_balle(monde& m, const balle& b) {
  m.balles.push_front(b);
  ++m.balles_par_couleur[b.couleur];
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
