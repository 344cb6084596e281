#include "world/index_vaisseaux.h"

#include <algorithm>

namespace jeu {

index_vaisseaux::index_vaisseaux()
    : cases_(static_cast<std::size_t>(cases_par_axe) * cases_par_axe) {}

int index_vaisseaux::case_de(double v) {
  const double c = v / cote;
  // Written so that NaN lands in bucket 0 instead of an undefined cast; the
  // cast truncates, which is floor for c >= 0 and cheaper than std::floor.
  if (!(c >= 0.0)) return 0;
  if (c >= cases_par_axe - 1) return cases_par_axe - 1;
  return static_cast<int>(c);
}

std::vector<repere_vaisseau>& index_vaisseaux::seau(double x, double y) {
  return cases_[case_de(x) * cases_par_axe + case_de(y)];
}

void index_vaisseaux::ajoute(const vaisseau& v) {
  seau(v.x, v.y).push_back({v.x, v.y, v.couleur, v.serie});
  ++taille_;
}

void index_vaisseaux::deplace(std::uint64_t serie, double ancien_x, double ancien_y, double x,
                              double y) {
  std::vector<repere_vaisseau>& avant = seau(ancien_x, ancien_y);
  const auto r = std::find_if(avant.begin(), avant.end(),
                              [serie](const repere_vaisseau& e) { return e.serie == serie; });
  if (r == avant.end()) return;
  std::vector<repere_vaisseau>& apres = seau(x, y);
  if (&apres == &avant) {
    r->x = x;
    r->y = y;
    return;
  }
  apres.push_back({x, y, r->couleur, serie});
  *r = avant.back();
  avant.pop_back();
}

void index_vaisseaux::retire(std::uint64_t serie, double x, double y) {
  std::vector<repere_vaisseau>& s = seau(x, y);
  const auto r = std::find_if(s.begin(), s.end(),
                              [serie](const repere_vaisseau& e) { return e.serie == serie; });
  if (r == s.end()) return;
  *r = s.back();
  s.pop_back();
  --taille_;
}

void index_vaisseaux::vide() {
  for (auto& s : cases_) s.clear();
  taille_ = 0;
}

std::vector<repere_vaisseau> index_vaisseaux::tous() const {
  std::vector<repere_vaisseau> resultat;
  resultat.reserve(taille_);
  for (const auto& s : cases_) {
    if (!s.empty()) resultat.insert(resultat.end(), s.begin(), s.end());
  }
  return resultat;
}

}  // namespace jeu
