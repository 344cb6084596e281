#include "bots/observateur.h"

#include <poll.h>

#include <algorithm>
#include <utility>

namespace jeu::bots {

using jeu_client::requete;

namespace {

constexpr auto pause_echec = std::chrono::seconds(1);
constexpr auto tranche = std::chrono::milliseconds(100);

std::string_view sans_fin_de_ligne(std::string_view l) { return l.substr(0, l.find('\r')); }

}  // namespace

observateur::observateur(std::string hote, int port, std::chrono::milliseconds delai)
    : hote_(std::move(hote)), port_(port), delai_(delai) {}

void observateur::demande_stats() { stats_voulues_ = true; }

void observateur::demande_scores() { scores_voulus_ = true; }

short observateur::attente() const {
  switch (etape_) {
    case etape::connexion: return POLLOUT;
    case etape::inscription:
    case etape::demande: return POLLIN;
    default: return 0;
  }
}

void observateur::echoue(const std::string& pourquoi, horloge::time_point maintenant) {
  connexion_.reset();
  etape_ = etape::attente;
  stats_.reset();
  erreur_ = pourquoi;
  reessai_ = maintenant + pause_echec;
}

void observateur::envoie(requete r, horloge::time_point maintenant) {
  const requete une[] = {r};
  connexion_->envoie(une);
  en_vol_ = r;
  etape_ = etape::demande;
  limite_ = maintenant + delai_;
}

void observateur::avance(horloge::time_point maintenant, bool pret) {
  try {
    switch (etape_) {
      case etape::attente:
        if (maintenant < reessai_) return;
        connexion_.emplace(jeu_client::connexion::demarre(hote_, port_, delai_));
        ++connexions_;
        etape_ = etape::connexion;
        return;
      case etape::connexion:
        if (!connexion_->etablie()) return;
        connexion_->envoie_spectateur();
        etape_ = etape::inscription;
        limite_ = maintenant + delai_;
        return;
      case etape::inscription:
        if (pret) {
          connexion_->recoit_inscription();
          etape_ = etape::pret;
          break;
        }
        if (maintenant >= limite_) echoue("no reply to PUT SPECTATEUR", maintenant);
        return;
      case etape::demande: {
        if (!pret) {
          if (maintenant >= limite_) {
            echoue("no reply to " + std::string(sans_fin_de_ligne(jeu_client::ligne(en_vol_))) + " within " +
                       std::to_string(delai_.count()) + " ms",
                   maintenant);
          }
          return;
        }
        const requete une[] = {en_vol_};
        std::vector<jeu_client::reponse> recu = connexion_->recoit(une);
        jeu_client::reponse& r = recu.front();
        if (auto* cubes = std::get_if<std::vector<jeu_client::cube>>(&r)) {
          cubes_ = std::move(*cubes);
        } else if (auto* scores = std::get_if<std::vector<jeu_client::score>>(&r)) {
          scores_ = std::move(*scores);
          erreur_.clear();
        } else if (auto* stats = std::get_if<jeu_client::statistiques>(&r)) {
          stats_ = std::move(*stats);
          erreur_.clear();
        }
        etape_ = etape::pret;
        break;
      }
      case etape::pret:
        break;
    }
    if (!cubes_) {
      envoie(requete::cubes, maintenant);
    } else if (stats_voulues_) {
      stats_voulues_ = false;
      envoie(requete::stats, maintenant);
    } else if (scores_voulus_) {
      scores_voulus_ = false;
      envoie(requete::scores, maintenant);
    }
  } catch (const jeu_client::erreur& e) {
    echoue(e.what(), maintenant);
  }
}

void observateur::attend(horloge::time_point jusqua, const std::atomic<bool>& arret) {
  for (;;) {
    avance(horloge::now(), false);
    const auto maintenant = horloge::now();
    const bool rien_attendu = etape_ == etape::pret || (etape_ == etape::attente && !erreur_.empty());
    if (rien_attendu || arret.load() || maintenant >= jusqua) return;
    const auto reste = std::min<horloge::duration>(jusqua - maintenant, tranche);
    const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(reste).count());
    pollfd p{connexion_ ? connexion_->descripteur() : -1, attente(), 0};
    if (poll(&p, 1, ms) == 1 && p.revents != 0) avance(horloge::now(), true);
  }
}

}  // namespace jeu::bots
