#include "world/evenements.h"

namespace jeu {

void journal_evenements::redimensionne(std::size_t capacite) {
  tampon_.assign(capacite, evenement{});
  // Numbers before this point were never kept at this capacity.
  debut_ = prochain_;
}

std::uint64_t journal_evenements::lit(std::uint64_t depuis, std::vector<evenement>& sortie) const {
  if (depuis >= prochain_) return 0;
  std::uint64_t plus_ancien = debut_;
  if (prochain_ - plus_ancien > tampon_.size()) plus_ancien = prochain_ - tampon_.size();
  const std::uint64_t manques = depuis < plus_ancien ? plus_ancien - depuis : 0;
  for (std::uint64_t n = depuis + manques; n < prochain_; ++n) {
    sortie.push_back(tampon_[n % tampon_.size()]);
  }
  return manques;
}

}  // namespace jeu
