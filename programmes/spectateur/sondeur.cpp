#include "spectateur/sondeur.h"

#include <exception>

namespace jeu::spectateur {

sondeur::sondeur(source& s, diffusion& d, cadence c, journal j)
    : source_(s), diffusion_(d), cadence_(c), journal_(std::move(j)) {
  fil_lecture_ = std::thread([this] { boucle(); });
}

sondeur::~sondeur() {
  {
    std::lock_guard garde(verrou_);
    arret_ = true;
  }
  reveil_.notify_all();
  fil_lecture_.join();
}

bool sondeur::dort_jusqua(std::chrono::steady_clock::time_point t) {
  std::unique_lock garde(verrou_);
  return !reveil_.wait_until(garde, t, [this] { return arret_; });
}

void sondeur::annonce(bool connecte, const std::string& texte) {
  diffusion_.publie_statut(json_statut(connecte, texte));
  if (journal_) journal_(connecte, texte);
}

void sondeur::publie_scores(const image& i) {
  std::string scores;
  if (i.scores) {
    scores = json_scores(*i.scores, true);
  } else if (!i.scores_servis) {
    scores = json_scores({}, false);
  }
  // The same table again changes nothing on the pages.
  if (!scores.empty() && scores != derniers_scores_) {
    derniers_scores_ = scores;
    diffusion_.publie_scores(std::move(scores));
  }
  if (fil_.ajoute(i.evenements, i.manques)) diffusion_.publie_fil(json_fil(fil_));
}

void sondeur::boucle() {
  using horloge = std::chrono::steady_clock;
  const std::string nom = source_.description();
  const std::string pause = std::to_string(cadence_.pause.count()) + " ms";
  std::uint64_t numero = 0;
  std::string derniere_erreur;
  annonce(false, "connecting to " + nom);
  for (;;) {
    try {
      diffusion_.publie_plateau(json_plateau(source_.ouvre()));
      derniere_erreur.clear();
      annonce(true, "watching " + nom);
      auto prochaine = horloge::now();
      const bool a_son_rythme = source_.a_son_rythme();
      for (;;) {
        image i = source_.trame();
        const auto maintenant = horloge::now();
        // A source that keeps its own pace is read at once again; of its
        // frames, one per period goes to the pages (every one keeps its events).
        if (!a_son_rythme || maintenant >= prochaine) {
          i.numero = ++numero;
          diffusion_.publie_image(json_image(i));
          // A late frame starts a new schedule: no burst to catch up.
          prochaine = std::max(prochaine + cadence_.periode, maintenant);
        }
        publie_scores(i);
        if (a_son_rythme) {
          std::lock_guard garde(verrou_);
          if (arret_) return;
        } else if (!dort_jusqua(prochaine)) {
          return;
        }
      }
    } catch (const std::exception& e) {
      // One status per kind of failure, not one per try.
      if (e.what() != derniere_erreur) {
        derniere_erreur = e.what();
        annonce(false, nom + ": " + derniere_erreur + "; trying again every " +
                           pause);
      }
    }
    if (!dort_jusqua(horloge::now() + cadence_.pause)) return;
  }
}

}  // namespace jeu::spectateur
