#include "world/liste_balles.h"

#include <algorithm>
#include <cmath>

#include "config/configuration.h"

namespace jeu {

pas_balle pas_de(double angle) {
  return {std::cos(angle) * configuration::vitesse_balle,
          std::sin(angle) * configuration::vitesse_balle};
}

void liste_balles::push_front(const balle& b) {
  if (debut_ == 0) fait_place();
  --debut_;
  balles_[debut_] = b;
  if (pas_a_jour_) pas_[debut_] = pas_de(b.angle);
  ++version_;
}

void liste_balles::clear() {
  debut_ = fin_ = balles_.size();
  pas_a_jour_ = true;
  pas_.resize(balles_.size());
  ++version_;
}

pas_balle* liste_balles::pas() {
  if (!pas_a_jour_) {
    pas_.resize(balles_.size());
    for (std::size_t k = debut_; k < fin_; ++k) pas_[k] = pas_de(balles_[k].angle);
    pas_a_jour_ = true;
  }
  return pas_.data() + debut_;
}

void liste_balles::fait_place() {
  const std::size_t n = size();
  const std::size_t capacite = balles_.size();
  if (n <= capacite / 2 && capacite > 0) {
    // Half the block or more is free after the list: slide the list to the
    // end of the block, which leaves at least n free places before it.
    const std::size_t nouveau_debut = capacite - n;
    std::copy_backward(balles_.begin() + static_cast<std::ptrdiff_t>(debut_),
                       balles_.begin() + static_cast<std::ptrdiff_t>(fin_), balles_.end());
    if (pas_a_jour_) {
      std::copy_backward(pas_.begin() + static_cast<std::ptrdiff_t>(debut_),
                         pas_.begin() + static_cast<std::ptrdiff_t>(fin_), pas_.end());
    }
    debut_ = nouveau_debut;
    fin_ = capacite;
    return;
  }
  // A new block twice as large, the list at its end. Both blocks are made
  // before either replaces the old one: an allocation that fails leaves the
  // list as it was.
  const std::size_t nouvelle_capacite = std::max<std::size_t>(2 * capacite, 64);
  const std::size_t nouveau_debut = nouvelle_capacite - n;
  std::vector<balle> balles(nouvelle_capacite);
  std::vector<pas_balle> pas(pas_a_jour_ ? nouvelle_capacite : 0);
  std::copy(begin(), end(), balles.begin() + static_cast<std::ptrdiff_t>(nouveau_debut));
  if (pas_a_jour_) {
    std::copy(pas_.begin() + static_cast<std::ptrdiff_t>(debut_),
              pas_.begin() + static_cast<std::ptrdiff_t>(fin_),
              pas.begin() + static_cast<std::ptrdiff_t>(nouveau_debut));
    pas_.swap(pas);
  }
  balles_.swap(balles);
  debut_ = nouveau_debut;
  fin_ = nouvelle_capacite;
}

}  // namespace jeu
