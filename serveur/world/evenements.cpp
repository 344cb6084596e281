#include "world/evenements.h"

#include <bit>

namespace jeu {

void journal_evenements::redimensionne(std::size_t capacite) {
  const std::size_t taille = capacite == 0 ? 0 : std::bit_ceil(capacite);
  tampon_.assign(taille, evenement{});
  masque_ = taille == 0 ? 0 : taille - 1;
  // Numbers before this point were never kept at this capacity.
  debut_ = prochain_;
}

std::uint64_t journal_evenements::lit(std::uint64_t depuis, std::vector<evenement>& sortie) const {
  if (depuis >= prochain_) return 0;
  std::uint64_t plus_ancien = debut_;
  if (prochain_ - plus_ancien > tampon_.size()) plus_ancien = prochain_ - tampon_.size();
  const std::uint64_t manques = depuis < plus_ancien ? plus_ancien - depuis : 0;
  for (std::uint64_t n = depuis + manques; n < prochain_; ++n) {
    sortie.push_back(tampon_[n & masque_]);
  }
  return manques;
}

}  // namespace jeu
