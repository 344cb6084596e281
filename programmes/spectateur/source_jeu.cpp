#include "spectateur/source_jeu.h"

#include <array>
#include <vector>
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
  scores_servis_ = true;
  derniers_scores_ = {};
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
  const auto maintenant = std::chrono::steady_clock::now();
  const bool avec_scores = maintenant - derniers_scores_ >= std::chrono::seconds(1);
  std::vector<requete> demandes{requete::vaisseaux, requete::balles, requete::stats};
  if (scores_servis_) {
    demandes.push_back(requete::evenements);
    if (avec_scores) demandes.push_back(requete::scores);
  }
  try {
    std::vector<jeu_client::reponse> r;
    try {
      r = connexion_.value().trame(demandes);
    } catch (const jeu_client::erreur& e) {
      // Every reply was read: the connection is in step for the frame again.
      if (e.quoi() != jeu_client::erreur::sorte::syntaxe || !scores_servis_) throw;
      scores_servis_ = false;
      demandes.resize(3);
      r = connexion_.value().trame(demandes);
    }
    image i;
    i.vaisseaux = std::get<std::vector<jeu_client::vaisseau>>(std::move(r[0]));
    i.balles = std::get<std::vector<jeu_client::balle>>(std::move(r[1]));
    i.stats = std::get<jeu_client::statistiques>(std::move(r[2]));
    i.scores_servis = scores_servis_;
    if (r.size() > 3) {
      auto lot = std::get<jeu_client::lot_evenements>(std::move(r[3]));
      i.evenements = std::move(lot.liste);
      i.manques = lot.manques;
    }
    if (r.size() > 4) {
      i.scores = std::get<std::vector<jeu_client::score>>(std::move(r[4]));
      derniers_scores_ = maintenant;
    }
    return i;
  } catch (...) {
    connexion_.reset();
    throw;
  }
}

}  // namespace jeu::spectateur
