#include "simulation/destruction.h"

#include "world/recherche.h"

namespace jeu {

void detruit_vaisseau(monde& m, const identite& id) {
  const auto v = position_vaisseau(m, id);
  if (v == m.vaisseaux.end()) return;
  m.index.retire(v->serie, v->x, v->y);
  m.vaisseaux.erase(v);
}

}  // namespace jeu
