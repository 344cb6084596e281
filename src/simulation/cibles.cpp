#include "simulation/cibles.h"

namespace jeu {

namespace {

constexpr std::size_t par_ligne = cibles::cases_par_axe + 1;

}  // namespace

cibles::cibles(std::deque<vaisseau>& vaisseaux)
    : debuts_(cases_par_axe * par_ligne, 0),
      positions_(vaisseaux.size()),
      rangs_(vaisseaux.size()),
      entrees_(vaisseaux.size()),
      lignes_(vaisseaux.size()),
      retires_(vaisseaux.size(), 0) {
  navires_.reserve(vaisseaux.size());
  std::vector<std::uint32_t> cases;
  cases.reserve(vaisseaux.size());
  // Counting sort by bucket: sizes, then starts, then entries in list order.
  for (vaisseau& s : vaisseaux) {
    const auto i = static_cast<std::uint32_t>(case_de(s.x));
    const auto c = static_cast<std::uint32_t>(i * par_ligne + case_de(s.y));
    lignes_[navires_.size()] = i;
    navires_.push_back(&s);
    cases.push_back(c);
    ++debuts_[c + 1];
  }
  for (std::size_t b = 1; b < debuts_.size(); ++b) debuts_[b] += debuts_[b - 1];
  std::vector<std::uint32_t> suivante(debuts_.begin(), debuts_.end());
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
  // The entries after it in its row move down by one, and so do the starts
  // of the buckets after its own in that row.
  std::uint32_t* const ligne = debuts_.data() + lignes_[r] * par_ligne;
  const std::uint32_t e = entrees_[r];
  const std::uint32_t fin = ligne[cases_par_axe];
  for (std::uint32_t k = e + 1; k < fin; ++k) {
    positions_[k - 1] = positions_[k];
    rangs_[k - 1] = rangs_[k];
    --entrees_[rangs_[k]];
  }
  for (std::size_t j = cases_par_axe; j > 0 && ligne[j] > e; --j) --ligne[j];
}

}  // namespace jeu
