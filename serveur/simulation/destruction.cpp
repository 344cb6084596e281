#include "simulation/destruction.h"

#include "world/comptes.h"
#include "world/recherche.h"

namespace jeu {

void detruit_vaisseau(monde& m, const identite& id, raison_depart raison) {
  const auto v = position_vaisseau(m, id);
  if (v == m.vaisseaux.end()) return;
  m.index.retire(v->serie, v->x, v->y);
  m.vaisseaux.erase(v);
  m.texte_vaisseaux.tout_change();
  compte_depart(m, id.couleur, raison);
}

void detruit_vaisseaux_marques(monde& m, const std::vector<char>& marques) {
  auto garde = m.vaisseaux.begin();
  std::size_t rang = 0;
  for (auto v = m.vaisseaux.begin(); v != m.vaisseaux.end(); ++v, ++rang) {
    if (marques[rang] != 0) {
      m.index.retire(v->serie, v->x, v->y);
      continue;
    }
    if (garde != v) *garde = *v;
    ++garde;
  }
  m.vaisseaux.erase(garde, m.vaisseaux.end());
  m.texte_vaisseaux.tout_change();
}

}  // namespace jeu
