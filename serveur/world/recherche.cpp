#include "world/recherche.h"

#include <algorithm>

namespace jeu {

std::deque<vaisseau>::iterator position_vaisseau(monde& m, const identite& id) {
  const auto v = std::lower_bound(
      m.vaisseaux.begin(), m.vaisseaux.end(), id.serie,
      [](const vaisseau& s, std::uint64_t serie) { return s.serie > serie; });
  if (v == m.vaisseaux.end() || v->serie != id.serie || v->couleur != id.couleur) {
    return m.vaisseaux.end();
  }
  return v;
}

vaisseau* cherche_vaisseau(monde& m, const identite& id) {
  const auto v = position_vaisseau(m, id);
  return v == m.vaisseaux.end() ? nullptr : &*v;
}

bool couleur_prise(const monde& m, couleur_t couleur) {
  return std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(),
                     [couleur](const vaisseau& v) { return v.couleur == couleur; });
}

}  // namespace jeu
