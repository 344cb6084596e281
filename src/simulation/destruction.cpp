#include "simulation/destruction.h"

#include <algorithm>
#include <utility>

namespace jeu {

std::deque<vaisseau> destroy_vaiss(std::deque<vaisseau> vaisseaux, couleur_t couleur) {
  const auto premier = std::find_if(vaisseaux.begin(), vaisseaux.end(),
                                    [couleur](const vaisseau& v) { return v.couleur == couleur; });
  if (premier != vaisseaux.end()) vaisseaux.erase(premier);
  return vaisseaux;
}

void detruit_vaisseau(monde& m, couleur_t couleur) {
  m.vaisseaux = destroy_vaiss(std::move(m.vaisseaux), couleur);
}

void detruit_vaisseau(monde& m, const identite& id) {
  const auto sien = std::find_if(m.vaisseaux.begin(), m.vaisseaux.end(), [&id](const vaisseau& v) {
    return v.couleur == id.couleur && v.serie == id.serie;
  });
  if (sien != m.vaisseaux.end()) m.vaisseaux.erase(sien);
}

}  // namespace jeu
