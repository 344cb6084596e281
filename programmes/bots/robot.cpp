#include "bots/robot.h"

#include <poll.h>

#include <algorithm>
#include <utility>

namespace jeu::bots {

using jeu_client::requete;

namespace {

// After a failure, wait this long before the next connection.
constexpr auto pause_echec = std::chrono::seconds(1);

std::string en_ms(std::chrono::milliseconds d) { return std::to_string(d.count()) + " ms"; }

}  // namespace

robot::robot(std::vector<jeu_client::couleur_t> couleurs, comportement sorte, std::string hote,
             int port, std::chrono::milliseconds delai)
    : couleurs_(std::move(couleurs)), hote_(std::move(hote)), port_(port), delai_(delai) {
  bilan_.couleur = couleurs_.at(0);
  bilan_.sorte = sorte;
}

void robot::perd_connexion(const std::string& pourquoi, horloge::time_point maintenant) {
  fin_de_vie(maintenant);
  connexion_.reset();
  etape_ = etape::attente;
  trame_.clear();
  bilan_.derniere_erreur = pourquoi;
  reessai_ = maintenant + pause_echec;
}

void robot::fin_de_vie(horloge::time_point maintenant) {
  if (etape_ == etape::jeu) bilan_.en_vie += maintenant - ne_le_;
  actions_.clear();
  vitesse_ = 0;
}

int robot::descripteur() const { return connexion_ ? connexion_->descripteur() : -1; }

short robot::attente() const {
  switch (etape_) {
    case etape::connexion: return POLLOUT;
    case etape::inscription: return POLLIN;
    case etape::jeu: return trame_.empty() ? 0 : POLLIN;
    default: return 0;
  }
}

void robot::agit(horloge::time_point maintenant) {
  switch (etape_) {
    case etape::attente:
      if (maintenant < reessai_) return;
      try {
        // A connection whose ship was destroyed cannot register again: each
        // life has its own.
        connexion_.emplace(jeu_client::connexion::demarre(hote_, port_, delai_));
      } catch (const jeu_client::erreur& e) {
        perd_connexion(e.what(), maintenant);
        return;
      }
      ++bilan_.connexions;
      etape_ = etape::connexion;
      limite_ = maintenant + delai_;
      return;
    case etape::connexion:
      // etablie() gives up by itself once the delay has passed.
      avance(maintenant, {});
      return;
    case etape::inscription:
      if (maintenant >= limite_) {
        perd_connexion("no reply to the registration within " + en_ms(delai_), maintenant);
      }
      return;
    case etape::jeu:
      if (trame_.empty()) {
        envoie_trame(maintenant);
      } else if (maintenant - envoye_le_ >= delai_) {
        perd_connexion("no reply to a frame within " + en_ms(delai_), maintenant);
      }
      return;
  }
}

void robot::envoie_trame(horloge::time_point maintenant) {
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

std::optional<horloge::duration> robot::avance(horloge::time_point maintenant,
                                               std::span<const jeu_client::cube> cubes) {
  if (!connexion_) return std::nullopt;
  try {
    switch (etape_) {
      case etape::connexion:
        if (!connexion_->etablie()) return std::nullopt;
        connexion_->envoie_enregistrement(couleurs_[couleur_]);
        etape_ = etape::inscription;
        limite_ = maintenant + delai_;
        return std::nullopt;
      case etape::inscription:
        try {
          connexion_->recoit_inscription();
        } catch (const jeu_client::erreur& e) {
          if (e.quoi() != jeu_client::erreur::sorte::couleur_utilisee) throw;
          // Taken, most likely by another program's robot: the next colour,
          // on the same connection. Once every colour was refused, a pause.
          couleur_ = (couleur_ + 1) % couleurs_.size();
          bilan_.couleur = couleurs_[couleur_];
          if (++refus_ >= couleurs_.size()) {
            refus_ = 0;
            perd_connexion(e.what(), maintenant);
            return std::nullopt;
          }
          connexion_->envoie_enregistrement(couleurs_[couleur_]);
          limite_ = maintenant + delai_;
          return std::nullopt;
        }
        refus_ = 0;
        etape_ = etape::jeu;
        ne_le_ = maintenant;
        ++bilan_.vies;
        // The first frame at once: a new ship is not left a frame behind.
        envoie_trame(maintenant);
        return std::nullopt;
      case etape::jeu:
        if (trame_.empty()) return std::nullopt;
        return lit_trame(maintenant, cubes);
      default:
        return std::nullopt;
    }
  } catch (const jeu_client::erreur& e) {
    perd_connexion(e.what(), maintenant);
    return std::nullopt;
  }
}

std::optional<horloge::duration> robot::lit_trame(horloge::time_point maintenant,
                                                  std::span<const jeu_client::cube> cubes) {
  const std::vector<jeu_client::reponse> reponses = connexion_->recoit(trame_);
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
    etape_ = etape::attente;
  } else {
    actions_ = decide(bilan_.sorte, *moi, vitesse_, vaisseaux, cubes);
  }
  return fin - envoye_le_;
}

void robot::termine(horloge::time_point maintenant) {
  if (connexion_ && etape_ == etape::jeu && trame_.empty()) {
    try {
      connexion_->quitte();
    } catch (const jeu_client::erreur&) {
      // Leaving anyway: the server removes the ship when the connection closes.
    }
  }
  fin_de_vie(maintenant);
  connexion_.reset();
  etape_ = etape::attente;
}

}  // namespace jeu::bots
