#include "spectateur/source_jeu.h"

#include <array>
#include <variant>

namespace jeu::spectateur {

using jeu_client::requete;

source_jeu::source_jeu(std::string hote, int port, std::chrono::milliseconds delai)
    : hote_(std::move(hote)), port_(port), delai_(delai) {}

std::string source_jeu::nom() const {
  const bool ipv6 = hote_.find(':') != std::string::npos;
  return (ipv6 ? "[" + hote_ + "]" : hote_) + ":" + std::to_string(port_);
}

plateau source_jeu::ouvre() {
  connexion_.reset();
  auto c = jeu_client::connexion::ouvre(hote_, port_, delai_);
  c.devient_spectateur();
  static constexpr std::array demandes{requete::taille_plateau, requete::rayon_vaisseau,
                                       requete::rayon_balle, requete::max_pt_vie, requete::cubes};
  auto r = c.trame(demandes);
  plateau p;
  p.taille = std::get<jeu_client::taille_plateau>(r[0]);
  p.rayon_vaisseau = std::get<int>(r[1]);
  p.rayon_balle = std::get<int>(r[2]);
  p.max_pt_vie = std::get<int>(r[3]);
  p.cubes = std::get<std::vector<jeu_client::cube>>(std::move(r[4]));
  connexion_.emplace(std::move(c));
  return p;
}

image source_jeu::trame() {
  static constexpr std::array demandes{requete::vaisseaux, requete::balles, requete::stats};
  try {
    auto r = connexion_.value().trame(demandes);
    image i;
    i.vaisseaux = std::get<std::vector<jeu_client::vaisseau>>(std::move(r[0]));
    i.balles = std::get<std::vector<jeu_client::balle>>(std::move(r[1]));
    i.stats = std::get<jeu_client::statistiques>(std::move(r[2]));
    return i;
  } catch (...) {
    connexion_.reset();
    throw;
  }
}

}  // namespace jeu::spectateur
