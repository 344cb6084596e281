#include "support/monde_essai.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace jeu::essai {

std::string incoherences(monde& m) {
  std::string defauts;
  std::vector<std::tuple<std::uint64_t, double, double, couleur_t>> liste, index;
  for (const vaisseau& s : m.vaisseaux) liste.emplace_back(s.serie, s.x, s.y, s.couleur);
  for (const repere_vaisseau& r : m.index.tous()) index.emplace_back(r.serie, r.x, r.y, r.couleur);
  std::sort(liste.begin(), liste.end());
  std::sort(index.begin(), index.end());
  if (liste != index) defauts += " index out of step";
  std::unordered_map<couleur_t, int> comptes;
  for (const balle& b : m.balles) ++comptes[b.couleur];
  if (comptes != m.balles_par_couleur) defauts += " bullet counts out of step";
  for (std::size_t k = 0; k < m.vaisseaux.size(); ++k) {
    const vaisseau& s = m.vaisseaux[k];
    if (s.pt_vie < 1 || s.pt_vie > configuration::max_pt_vie) defauts += " life points out of range";
    if (k > 0 && s.serie >= m.vaisseaux[k - 1].serie) defauts += " serials out of order";
  }
  return defauts;
}

}  // namespace jeu::essai
