#include "net/trame_flux.h"

#include <memory>

#include "net/protocole.h"

namespace jeu {

void encode(const trame_diffusee& t) {
  std::call_once(t.encodage, [&t] {
    std::string s;
    s.reserve(32 * t.vaisseaux.size() + 16 * t.balles.size() + 64);
    ajoute_entete(s, "PUT VAISSEAUX ", t.vaisseaux.size());
    for (const vaisseau& v : t.vaisseaux) ajoute_ligne(s, v);
    ajoute_entete(s, "PUT BALLES ", t.balles.size());
    for (const balle& b : t.balles) ajoute_ligne(s, b);
    std::string fin;
    for (const evenement& e : t.evenements) ajoute_evenement(fin, e);
    // Blocks added later go before FIN TICK: readers skip the blocks they
    // do not know.
    fin += "FIN TICK ";
    fin += std::to_string(t.tick);
    fin += "\r\n";
    auto corps = std::make_shared<const std::string>(std::move(s));
    t.suite = std::make_shared<const std::string>(std::move(fin));
    t.corps = std::move(corps);
  });
}

void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus) {
  sortie += "TICK ";
  sortie += std::to_string(tick);
  sortie += ' ';
  sortie += std::to_string(perdus);
  sortie += "\r\n";
}

void ajoute_entete_evenements(std::string& sortie, const trame_diffusee& t,
                              std::uint64_t manques) {
  sortie += "PUT EVENEMENTS ";
  sortie += std::to_string(t.evenements.size());
  sortie += ' ';
  sortie += std::to_string(manques);
  sortie += "\r\n";
}

}  // namespace jeu
