#include "simulation/cibles.h"

namespace jeu {

namespace {

constexpr std::size_t par_ligne = cibles::cases_par_axe + 1;

}  // namespace

cibles::cibles(std::deque<vaisseau>& vaisseaux)
    : positions_(vaisseaux.size()),
      rangs_(vaisseaux.size()),
      entrees_(vaisseaux.size()),
      lignes_(vaisseaux.size()),
      retires_(vaisseaux.size(), 0) {
  debut_ligne_.fill(ligne_vide);
  navires_.reserve(vaisseaux.size());
  for (vaisseau& s : vaisseaux) {
    lignes_[navires_.size()] = static_cast<std::uint32_t>(case_de(s.x));
    debut_ligne_[lignes_[navires_.size()]] = 0;
    navires_.push_back(&s);
  }
  // The rows holding ships, in order, get their starts side by side.
  std::uint32_t debut = 0;
  for (std::uint32_t& d : debut_ligne_) {
    if (d == ligne_vide) continue;
    d = debut;
    debut += par_ligne;
  }
  debuts_.assign(debut, 0);
  // Counting sort by bucket: sizes, ends (running sums over the rows in
  // order, each row's last start being its end), then entries placed from
  // the last rank down, each bucket's end moving back to its start.
  for (std::size_t rang = 0; rang < navires_.size(); ++rang) {
    lignes_[rang] = debut_ligne_[lignes_[rang]];
    entrees_[rang] = lignes_[rang] + static_cast<std::uint32_t>(case_de(navires_[rang]->y));
    ++debuts_[entrees_[rang]];
  }
  for (std::size_t b = 1; b < debuts_.size(); ++b) debuts_[b] += debuts_[b - 1];
  for (std::size_t rang = navires_.size(); rang-- > 0;) {
    const std::uint32_t e = --debuts_[entrees_[rang]];
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
  std::uint32_t* const ligne = debuts_.data() + lignes_[r];
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
