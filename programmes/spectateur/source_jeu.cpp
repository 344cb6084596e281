#include "spectateur/source_jeu.h"

#include <array>
#include <variant>
#include <vector>

namespace jeu::spectateur {

using jeu_client::requete;
using horloge = std::chrono::steady_clock;

source_jeu::source_jeu(std::string hote, int port, std::chrono::milliseconds delai)
    : hote_(std::move(hote)), port_(port), delai_(delai) {}

std::string source_jeu::nom() const {
  const bool ipv6 = hote_.find(':') != std::string::npos;
  return (ipv6 ? "[" + hote_ + "]" : hote_) + ":" + std::to_string(port_);
}

plateau source_jeu::ouvre() {
  requetes_.reset();
  flux_.reset();
  scores_servis_ = true;
  dernieres_stats_ = {};
  derniers_scores_ = {};
  auto c = jeu_client::connexion::ouvre(hote_, port_, delai_);
  c.devient_spectateur();
  static constexpr std::array demandes{requete::taille_plateau, requete::rayon_vaisseau,
                                       requete::rayon_balle, requete::max_pt_vie, requete::cubes,
                                       requete::stats};
  auto r = c.trame(demandes);
  plateau p;
  p.taille = std::get<jeu_client::taille_plateau>(r[0]);
  p.rayon_vaisseau = std::get<int>(r[1]);
  p.rayon_balle = std::get<int>(r[2]);
  p.max_pt_vie = std::get<int>(r[3]);
  p.cubes = std::get<std::vector<jeu_client::cube>>(std::move(r[4]));
  stats_ = std::get<jeu_client::statistiques>(std::move(r[5]));
  auto f = jeu_client::connexion::ouvre(hote_, port_, delai_);
  f.devient_spectateur();
  f.commence_flux();
  requetes_.emplace(std::move(c));
  flux_.emplace(std::move(f));
  return p;
}

void source_jeu::interroge(image& i, horloge::time_point maintenant) {
  std::vector<requete> demandes{requete::stats};
  const bool avec_scores = maintenant - derniers_scores_ >= std::chrono::seconds(1);
  if (scores_servis_) {
    demandes.push_back(requete::evenements);
    if (avec_scores) demandes.push_back(requete::scores);
  }
  std::vector<jeu_client::reponse> r;
  try {
    r = requetes_.value().trame(demandes);
  } catch (const jeu_client::erreur& e) {
    // Every reply was read: the connection is in step for the next frame.
    if (e.quoi() != jeu_client::erreur::sorte::syntaxe || !scores_servis_) throw;
    scores_servis_ = false;
    demandes.resize(1);
    r = requetes_.value().trame(demandes);
  }
  stats_ = std::get<jeu_client::statistiques>(std::move(r[0]));
  dernieres_stats_ = maintenant;
  if (r.size() > 1) {
    auto lot = std::get<jeu_client::lot_evenements>(std::move(r[1]));
    i.evenements = std::move(lot.liste);
    i.manques = lot.manques;
  }
  if (r.size() > 2) {
    i.scores = std::get<std::vector<jeu_client::score>>(std::move(r[2]));
    derniers_scores_ = maintenant;
  }
}

image source_jeu::trame() {
  try {
    jeu_client::trame_flux f = flux_.value().flux_suivante();
    image i;
    i.tick = f.tick;
    i.ticks_perdus = f.ticks_perdus;
    i.vaisseaux = std::move(f.vaisseaux);
    i.balles = std::move(f.balles);
    const auto maintenant = horloge::now();
    if (maintenant - dernieres_stats_ >= std::chrono::milliseconds(100)) interroge(i, maintenant);
    i.stats = stats_;
    i.scores_servis = scores_servis_;
    return i;
  } catch (...) {
    requetes_.reset();
    flux_.reset();
    throw;
  }
}

}  // namespace jeu::spectateur
