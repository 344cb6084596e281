#include "simulation/cibles.h"

#include <limits>

namespace jeu {

cibles::cibles(std::deque<vaisseau>& vaisseaux)
    : debuts_(static_cast<std::size_t>(cases_par_axe) * cases_par_axe + 1, 0),
      positions_(vaisseaux.size()),
      rangs_(vaisseaux.size()),
      entrees_(vaisseaux.size()),
      retires_(vaisseaux.size(), 0) {
  navires_.reserve(vaisseaux.size());
  std::vector<std::uint32_t> cases;
  cases.reserve(vaisseaux.size());
  // Counting sort by bucket: sizes, then starts, then entries in list order.
  for (vaisseau& s : vaisseaux) {
    navires_.push_back(&s);
    const auto c = static_cast<std::uint32_t>(case_de(s.x) * cases_par_axe + case_de(s.y));
    cases.push_back(c);
    ++debuts_[c + 1];
  }
  for (std::size_t b = 1; b < debuts_.size(); ++b) debuts_[b] += debuts_[b - 1];
  std::vector<std::uint32_t> suivante(debuts_.begin(), debuts_.end() - 1);
  for (std::size_t rang = 0; rang < navires_.size(); ++rang) {
    const std::uint32_t e = suivante[cases[rang]]++;
    positions_[e] = {navires_[rang]->x, navires_[rang]->y};
    rangs_[e] = static_cast<unsigned>(rang);
    entrees_[rang] = e;
  }
}

void cibles::retire(int rang) {
  const auto r = static_cast<std::size_t>(rang);
  retires_[r] = 1;
  aucun_retire_ = false;
  // (inf - x)^2 + ... is inf, never below portee^2.
  positions_[entrees_[r]].x = std::numeric_limits<double>::infinity();
}

}  // namespace jeu
