#include "world/publication.h"

#include <memory>

namespace jeu {

void publie_trame(monde& m, std::uint64_t depuis_evenement) {
  std::shared_ptr<trame_diffusee> t;
  try {
    t = std::make_shared<trame_diffusee>();
    t->tick = m.numero_tick;
    t->vaisseaux.assign(m.vaisseaux.begin(), m.vaisseaux.end());
    t->balles.assign(m.balles.begin(), m.balles.end());
    t->debut_evenements = depuis_evenement;
    t->fin_evenements = m.evenements.prochain();
    t->evenements_perdus = m.evenements.lit(depuis_evenement, t->evenements);
  } catch (...) {
    return;
  }
  m.flux.publie(std::move(t));
}

}  // namespace jeu
