#include "world/flotte.h"

namespace jeu {

vaisseau& place_vaisseau(monde& m, vaisseau v) {
  v.serie = m.prochaine_serie++;
  m.vaisseaux.push_front(v);
  m.index.ajoute(v);
  return m.vaisseaux.front();
}

void deplace_vaisseau(monde& m, vaisseau& s, double x, double y) {
  m.index.deplace(s.serie, s.x, s.y, x, y);
  s.x = x;
  s.y = y;
}

void vide_vaisseaux(monde& m) {
  m.vaisseaux.clear();
  m.index.vide();
}

}  // namespace jeu
