#include "world/recherche.h"

namespace jeu {

vaisseau* cherche_vaisseau(monde& m, couleur_t couleur) {
  for (vaisseau& v : m.vaisseaux) {
    if (v.couleur == couleur) return &v;
  }
  return nullptr;
}

vaisseau* cherche_vaisseau(monde& m, const identite& id) {
  for (vaisseau& v : m.vaisseaux) {
    if (v.couleur == id.couleur && v.serie == id.serie) return &v;
  }
  return nullptr;
}

}  // namespace jeu
