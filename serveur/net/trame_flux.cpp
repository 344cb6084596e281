#include "net/trame_flux.h"

#include <memory>

#include "net/protocole.h"

namespace jeu {

void publie_trame(monde& m) {
  std::shared_ptr<trame_diffusee> t;
  try {
    t = std::make_shared<trame_diffusee>();
    t->tick = m.numero_tick;
    t->vaisseaux.assign(m.vaisseaux.begin(), m.vaisseaux.end());
    t->balles.assign(m.balles.begin(), m.balles.end());
  } catch (...) {
    return;
  }
  m.flux.publie(std::move(t));
}

const texte_partage::bloc& corps_de(const trame_diffusee& t) {
  std::call_once(t.encodage, [&t] {
    std::string s;
    s.reserve(32 * t.vaisseaux.size() + 16 * t.balles.size() + 64);
    ajoute_entete(s, "PUT VAISSEAUX ", t.vaisseaux.size());
    for (const vaisseau& v : t.vaisseaux) ajoute_ligne(s, v);
    ajoute_entete(s, "PUT BALLES ", t.balles.size());
    for (const balle& b : t.balles) ajoute_ligne(s, b);
    // Blocks added later (the tick's events...) go here, before FIN TICK:
    // readers skip the blocks they do not know.
    s += "FIN TICK ";
    s += std::to_string(t.tick);
    s += "\r\n";
    t.corps = std::make_shared<const std::string>(std::move(s));
  });
  return t.corps;
}

void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus) {
  sortie += "TICK ";
  sortie += std::to_string(tick);
  sortie += ' ';
  sortie += std::to_string(perdus);
  sortie += "\r\n";
}

}  // namespace jeu
