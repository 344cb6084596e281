#include "charge/connexion_charge.h"

#include <algorithm>
#include <cmath>

namespace jeu::charge {

namespace {

std::uint64_t duree(std::int64_t debut, std::int64_t fin) {
  return fin > debut ? static_cast<std::uint64_t>(fin - debut) : 0;
}

}  // namespace

void comptes::ajoute(const comptes& autre) {
  latence.fusionne(autre.latence);
  trame.fusionne(autre.trame);
  ecart_trames_max = std::max(ecart_trames_max, autre.ecart_trames_max);
  connexion.fusionne(autre.connexion);
  enregistrement.fusionne(autre.enregistrement);
  envoyees += autre.envoyees;
  trames_demandees += autre.trames_demandees;
  reponses += autre.reponses;
  reponses_erreur += autre.reponses_erreur;
  inattendues += autre.inattendues;
  connexions_echouees += autre.connexions_echouees;
  enregistrements_refuses += autre.enregistrements_refuses;
  fermetures += autre.fermetures;
  sans_reponse += autre.sans_reponse;
}

void comptes::remet_a_zero() {
  const std::int64_t ouvertes = connexions_ouvertes;
  *this = comptes{};
  connexions_ouvertes = ouvertes;
}

connexion_charge::connexion_charge(const regime& r, std::int64_t couleur, bool tireur,
                                   std::int64_t decalage)
    : regime_(r), couleur_(couleur), tireur_(tireur), decalage_(decalage) {
  if (!r.trame.empty()) {
    intervalle_ = r.periode_trame;
  } else if (r.debit > 0) {
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
  if (!arretee_ && !retenue_) demarre(t, m);
}

void connexion_charge::relache(std::int64_t t, comptes& m) {
  if (!retenue_) return;
  retenue_ = false;
  if (etat_ == etat::active && !arretee_) demarre(t, m);
}

void connexion_charge::demarre(std::int64_t t, comptes& m) {
  if (intervalle_ > 0) {
    prochain_lot_ = t + (mode_trame() ? decalage_ : 0);
    echeance(t, m);
  } else {
    ecrit_lot(lot_suivant(t, m), m);
  }
}

connexion_charge::lot connexion_charge::lot_suivant(std::int64_t prevu, comptes& m) {
  if (!mode_trame()) return lot{prevu, regime_.pipeline};
  const bool tir = tireur_ && trames_ % static_cast<std::uint64_t>(regime_.tir_chaque) == 0;
  ++trames_;
  ++m.trames_demandees;
  return lot{prevu, static_cast<int>(regime_.trame.size()) + (tir ? 1 : 0)};
}

void connexion_charge::ecrit_lot(const lot& l, comptes& m) {
  if (mode_trame()) {
    for (const std::string& ligne : regime_.trame) {
      sortie_ += ligne;
      sortie_ += "\r\n";
    }
    if (l.requetes > static_cast<int>(regime_.trame.size())) {
      sortie_ += regime_.tir;
      sortie_ += "\r\n";
    }
    en_vol_.push_back(attendu{l.prevu, l.requetes});
  } else {
    for (int k = 0; k < l.requetes; ++k) {
      sortie_ += regime_.requetes[prochaine_requete_];
      sortie_ += "\r\n";
      prochaine_requete_ = (prochaine_requete_ + 1) % regime_.requetes.size();
      en_vol_.push_back(attendu{l.prevu, 1});
    }
  }
  requetes_en_vol_ += static_cast<std::size_t>(l.requetes);
  m.envoyees += static_cast<std::uint64_t>(l.requetes);
}

void connexion_charge::ecrit_dus(comptes& m) {
  if (!en_vol_.empty() || dues_.empty()) return;
  const lot l = dues_.front();
  dues_.pop_front();
  requetes_dues_ -= static_cast<std::size_t>(l.requetes);
  ecrit_lot(l, m);
}

std::optional<std::int64_t> connexion_charge::prochaine_echeance() const {
  if (intervalle_ == 0 || arretee_ || retenue_ || etat_ != etat::active) return std::nullopt;
  return prochain_lot_;
}

void connexion_charge::echeance(std::int64_t t, comptes& m) {
  if (intervalle_ == 0 || arretee_ || retenue_ || etat_ != etat::active) return;
  while (prochain_lot_ <= t) {
    dues_.push_back(lot_suivant(prochain_lot_, m));
    requetes_dues_ += static_cast<std::size_t>(dues_.back().requetes);
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
  ++m.reponses;
  if (r.erreur) ++m.reponses_erreur;
  --requetes_en_vol_;
  attendu& a = en_vol_.front();
  if (--a.reponses == 0) {
    (mode_trame() ? m.trame : m.latence).enregistre(duree(a.prevu, t));
    if (mode_trame()) {
      if (derniere_trame_ >= 0) {
        m.ecart_trames_max = std::max(m.ecart_trames_max, duree(derniere_trame_, t));
      }
      derniere_trame_ = t;
    }
    en_vol_.pop_front();
  }
  if (!en_vol_.empty()) return;
  if (intervalle_ > 0) {
    ecrit_dus(m);
  } else if (!arretee_) {
    ecrit_lot(lot_suivant(t, m), m);
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
  requetes_en_vol_ = 0;
  requetes_dues_ = 0;
}

}  // namespace jeu::charge
