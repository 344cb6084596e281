#include "bots/robot.h"

#include <algorithm>
#include <utility>

namespace jeu::bots {

using jeu_client::requete;

namespace {

// After a failure, wait this long before the next connection.
constexpr auto pause_echec = std::chrono::seconds(1);

}  // namespace

robot::robot(jeu_client::couleur_t couleur, comportement sorte, std::string hote, int port,
             std::chrono::milliseconds delai)
    : hote_(std::move(hote)), port_(port), delai_(delai) {
  bilan_.couleur = couleur;
  bilan_.sorte = sorte;
}

void robot::perd_connexion(const std::string& pourquoi, horloge::time_point maintenant) {
  fin_de_vie(maintenant);
  connexion_.reset();
  trame_.clear();
  bilan_.derniere_erreur = pourquoi;
  reessai_ = maintenant + pause_echec;
}

void robot::fin_de_vie(horloge::time_point maintenant) {
  if (vivant_) bilan_.en_vie += maintenant - ne_le_;
  vivant_ = false;
  actions_.clear();
  vitesse_ = 0;
}

void robot::envoie(horloge::time_point maintenant) {
  if (!vivant_) {
    if (maintenant < reessai_) return;
    try {
      // A connection whose ship was destroyed cannot register again.
      connexion_.reset();
      jeu_client::connexion c = jeu_client::connexion::ouvre(hote_, port_, delai_);
      c.enregistre(bilan_.couleur);
      connexion_.emplace(std::move(c));
    } catch (const jeu_client::erreur& e) {
      // A colour taken (by another program, or a ship of ours not yet
      // removed) is tried again at a later frame.
      perd_connexion(e.what(), maintenant);
      return;
    }
    vivant_ = true;
    ne_le_ = maintenant;
    ++bilan_.vies;
  }
  trame_ = actions_;
  trame_.push_back(requete::vaisseaux);
  try {
    connexion_->envoie(trame_);
  } catch (const jeu_client::erreur& e) {
    perd_connexion(e.what(), maintenant);
    return;
  }
  envoye_le_ = horloge::now();
  for (const requete a : actions_) {
    vitesse_ = vitesse_apres(vitesse_, a);
    if (a == requete::tire) ++bilan_.tirs;
  }
  actions_.clear();
}

std::optional<horloge::duration> robot::recoit(horloge::time_point maintenant,
                                               std::span<const jeu_client::cube> cubes) {
  if (trame_.empty() || !connexion_) return std::nullopt;
  std::vector<jeu_client::reponse> reponses;
  try {
    reponses = connexion_->recoit(trame_);
  } catch (const jeu_client::erreur& e) {
    perd_connexion(e.what(), maintenant);
    return std::nullopt;
  }
  trame_.clear();
  ++bilan_.trames;
  const auto fin = horloge::now();
  const auto& vaisseaux = std::get<std::vector<jeu_client::vaisseau>>(reponses.back());
  const auto moi = std::find_if(vaisseaux.begin(), vaisseaux.end(),
                                [&](const auto& v) { return v.couleur == bilan_.couleur; });
  if (moi == vaisseaux.end()) {
    // Destroyed: the next frame starts a new life on a new connection.
    fin_de_vie(maintenant);
    connexion_.reset();
  } else {
    actions_ = decide(bilan_.sorte, *moi, vitesse_, vaisseaux, cubes);
  }
  return fin - envoye_le_;
}

void robot::termine(horloge::time_point maintenant) {
  if (connexion_ && vivant_ && trame_.empty()) {
    try {
      connexion_->quitte();
    } catch (const jeu_client::erreur&) {
      // Leaving anyway: the server removes the ship when the connection closes.
    }
  }
  fin_de_vie(maintenant);
  connexion_.reset();
}

}  // namespace jeu::bots
