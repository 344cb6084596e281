#include "world/flotte.h"

#include "world/comptes.h"

namespace jeu {

vaisseau& place_vaisseau(monde& m, vaisseau v) {
  v.serie = m.prochaine_serie++;
  // Either step may fail to allocate: list and index gain the ship together
  // or not at all.
  m.index.ajoute(v);
  try {
    m.vaisseaux.push_front(v);
  } catch (...) {
    m.index.retire(v.serie, v.x, v.y);
    throw;
  }
  m.texte_vaisseaux.tout_change();
  compte_arrivee(m, v.couleur);
  return m.vaisseaux.front();
}

void deplace_vaisseau(monde& m, vaisseau& s, double x, double y) {
  m.index.deplace(s.serie, s.x, s.y, x, y);
  s.x = x;
  s.y = y;
  m.texte_vaisseaux.tout_change();
}

void vide_vaisseaux(monde& m) {
  m.vaisseaux.clear();
  m.index.vide();
  m.texte_vaisseaux.tout_change();
}

}  // namespace jeu
