#include "net/trame_flux.h"

#include <memory>

#include "net/listes_partagees.h"
#include "net/protocole.h"

namespace jeu {

namespace {

void ajoute_liste(std::vector<texte_partage::bloc>& corps, liste_partagee& l) {
  corps.push_back(std::make_shared<const std::string>(std::move(l.entete)));
  corps.insert(corps.end(), l.blocs.begin(), l.blocs.end());
}

}  // namespace

void publie_trame(monde& m) {
  std::shared_ptr<trame_diffusee> t;
  try {
    t = std::make_shared<trame_diffusee>();
    t->tick = m.numero_tick;
    liste_partagee l;
    prend_vaisseaux(m, l);
    t->corps.reserve(l.blocs.size() + m.balles.size() / texte_partage::par_bloc + 8);
    ajoute_liste(t->corps, l);
    prend_balles(m, l);
    ajoute_liste(t->corps, l);
    // Blocks added later (the tick's events...) go here, before FIN TICK:
    // readers skip the blocks they do not know.
    t->corps.push_back(
        std::make_shared<const std::string>("FIN TICK " + std::to_string(t->tick) + "\r\n"));
  } catch (...) {
    return;
  }
  m.flux.publie(std::move(t));
}

void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus) {
  sortie += "TICK ";
  sortie += std::to_string(tick);
  sortie += ' ';
  sortie += std::to_string(perdus);
  sortie += "\r\n";
}

}  // namespace jeu
