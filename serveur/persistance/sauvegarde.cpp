#include "persistance/sauvegarde.h"

#include <exception>
#include <vector>

#include "net/ecriture.h"

namespace jeu {

sauvegarde_scores::sauvegarde_scores(monde& m, base_scores& base, std::chrono::milliseconds periode,
                                     std::string nom_base, std::FILE* journal)
    : m_(m), base_(base), periode_(periode), nom_base_(std::move(nom_base)), journal_(journal) {
  VerrouGarde garde(m_.verrou_monde);
  capacite_ = m_.scores.capacite();
  const std::vector<ligne_score> lignes = base_.charge(capacite_);
  m_.scores.redimensionne(m_.scores.capacite());
  for (const ligne_score& l : lignes) m_.scores.charge(l);
  m_.scores.suit_changements();
}

sauvegarde_scores::~sauvegarde_scores() { arrete(); }

void sauvegarde_scores::arrete() {
  if (!fil_.joinable()) return;
  {
    std::lock_guard<std::mutex> g(verrou_arret_);
    arret_ = true;
  }
  reveil_.notify_all();
  fil_.join();
}

void sauvegarde_scores::lance() { fil_ = std::thread([this] { boucle(); }); }

void sauvegarde_scores::boucle() {
  std::unique_lock<std::mutex> g(verrou_arret_);
  for (;;) {
    const bool arret = reveil_.wait_for(g, periode_, [this] { return arret_; });
    g.unlock();
    enregistre_maintenant();
    g.lock();
    if (arret) return;
  }
}

bool sauvegarde_scores::enregistre_maintenant() {
  std::vector<ligne_score> changes;
  std::vector<couleur_t> oublies;
  try {
    {
      VerrouGarde garde(m_.verrou_monde);
      m_.scores.prend_changements(changes, oublies, m_.numero_tick);
    }
    // A colour in both was forgotten, then seen again: its new line wins.
    for (const couleur_t c : oublies) {
      en_attente_.erase(c);
      if (oublies_en_attente_.size() < 2 * capacite_ + 1) oublies_en_attente_.insert(c);
    }
    for (const ligne_score& l : changes) {
      en_attente_[l.couleur] = l;
      oublies_en_attente_.erase(l.couleur);
    }
    changes.clear();
    changes.reserve(en_attente_.size());
    for (const auto& [c, l] : en_attente_) changes.push_back(l);
    oublies.assign(oublies_en_attente_.begin(), oublies_en_attente_.end());
    base_.enregistre(oublies, changes);
    en_attente_.clear();
    oublies_en_attente_.clear();
    if (en_panne_) {
      ecrit_tout(journal_, "serveur_jeu: scores de nouveau enregistres dans " + nom_base_ + "\n");
      en_panne_ = false;
    }
    return true;
  } catch (const std::exception& e) {
    if (!en_panne_) {
      ecrit_tout(journal_, "serveur_jeu: scores non enregistres dans " + nom_base_ + " (" +
                               e.what() + ") : la partie continue\n");
      en_panne_ = true;
    }
    return false;
  }
}

}  // namespace jeu
