#include "charge/connexion_charge.h"

#include <algorithm>
#include <cmath>

namespace jeu::charge {

namespace {

std::uint64_t duree(std::int64_t debut, std::int64_t fin) {
  return fin > debut ? static_cast<std::uint64_t>(fin - debut) : 0;
}

}  // namespace

connexion_charge::connexion_charge(const regime& r, std::int64_t couleur) : regime_(r), couleur_(couleur) {
  if (r.debit > 0) {
    intervalle_ = std::max<std::int64_t>(
        1, std::llround(1e9 * static_cast<double>(r.pipeline) / r.debit));
  }
}

void connexion_charge::debut_connexion(std::int64_t t) {
  etat_ = etat::connexion;
  debut_ = t;
}

void connexion_charge::connexion_etablie(std::int64_t t, comptes& m) {
  m.connexion.enregistre(duree(debut_, t));
  ++m.connexions_ouvertes;
  if (regime_.enregistrement) {
    etat_ = etat::enregistrement;
    debut_ = t;
    sortie_ += "PUT COULEUR VAISSEAU " + std::to_string(couleur_) + "\r\n";
  } else {
    active(t, m);
  }
}

void connexion_charge::connexion_echouee(comptes& m) {
  ++m.connexions_echouees;
  etat_ = etat::fermee;
}

void connexion_charge::active(std::int64_t t, comptes& m) {
  etat_ = etat::active;
  if (arretee_) return;
  if (intervalle_ > 0) {
    prochain_lot_ = t;
    echeance(t, m);
  } else {
    ecrit_lot(t, m);
  }
}

void connexion_charge::ecrit_lot(std::int64_t prevu, comptes& m) {
  for (int k = 0; k < regime_.pipeline; ++k) {
    sortie_ += regime_.requetes[prochaine_requete_];
    sortie_ += "\r\n";
    prochaine_requete_ = (prochaine_requete_ + 1) % regime_.requetes.size();
    en_vol_.push_back(prevu);
  }
  m.envoyees += static_cast<std::uint64_t>(regime_.pipeline);
}

void connexion_charge::ecrit_dus(comptes& m) {
  if (!en_vol_.empty() || dues_.empty()) return;
  for (int k = 0; k < regime_.pipeline && !dues_.empty(); ++k) {
    sortie_ += regime_.requetes[prochaine_requete_];
    sortie_ += "\r\n";
    prochaine_requete_ = (prochaine_requete_ + 1) % regime_.requetes.size();
    en_vol_.push_back(dues_.front());
    dues_.pop_front();
    ++m.envoyees;
  }
}

std::optional<std::int64_t> connexion_charge::prochaine_echeance() const {
  if (intervalle_ == 0 || arretee_ || etat_ != etat::active) return std::nullopt;
  return prochain_lot_;
}

void connexion_charge::echeance(std::int64_t t, comptes& m) {
  if (intervalle_ == 0 || arretee_ || etat_ != etat::active) return;
  while (prochain_lot_ <= t) {
    dues_.insert(dues_.end(), static_cast<std::size_t>(regime_.pipeline), prochain_lot_);
    prochain_lot_ += intervalle_;
  }
  ecrit_dus(m);
}

void connexion_charge::recoit(std::string_view octets, std::int64_t t, comptes& m) {
  if (etat_ != etat::enregistrement && etat_ != etat::active) return;
  decodeur_.ajoute(octets, [&](const reponse& r) { sur_reponse(r, t, m); });
}

void connexion_charge::sur_reponse(const reponse& r, std::int64_t t, comptes& m) {
  if (etat_ == etat::fermee) return;
  if (etat_ == etat::enregistrement) {
    if (r.entete == "VAISSEAU ENREGISTRE") {
      m.enregistrement.enregistre(duree(debut_, t));
      active(t, m);
    } else {
      ++m.enregistrements_refuses;
      ferme(m);
    }
    return;
  }
  if (en_vol_.empty()) {
    ++m.inattendues;
    return;
  }
  m.latence.enregistre(duree(en_vol_.front(), t));
  en_vol_.pop_front();
  ++m.reponses;
  if (r.erreur) ++m.reponses_erreur;
  if (!en_vol_.empty()) return;
  if (intervalle_ > 0) {
    ecrit_dus(m);
  } else if (!arretee_) {
    ecrit_lot(t, m);
  }
}

void connexion_charge::ferme(comptes& m) {
  if (etat_ == etat::enregistrement || etat_ == etat::active) --m.connexions_ouvertes;
  etat_ = etat::fermee;
  sortie_.clear();
}

void connexion_charge::perdue(comptes& m) {
  if (etat_ == etat::fermee) return;
  if (etat_ == etat::connexion) {
    connexion_echouee(m);
    return;
  }
  ++m.fermetures;
  abandonne(m);
  ferme(m);
}

void connexion_charge::abandonne(comptes& m) {
  if (etat_ == etat::enregistrement) ++m.sans_reponse;  // the colour
  m.sans_reponse += en_suspens();
  en_vol_.clear();
  dues_.clear();
}

}  // namespace jeu::charge
