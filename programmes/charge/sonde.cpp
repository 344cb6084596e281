#include "charge/sonde.h"

#include <algorithm>

namespace jeu::charge {

void sonde_stats::connexion_etablie(std::int64_t) {
  etat_ = etat::enregistrement;
  sortie_ += "PUT SPECTATEUR\r\n";
}

void sonde_stats::recoit(std::string_view octets, std::int64_t t) {
  while (!octets.empty() && etat_ != etat::fermee) {
    const std::size_t lf = octets.find('\n');
    const std::string_view morceau = octets.substr(0, lf);
    ligne_.append(morceau.substr(0, ligne_max - std::min(ligne_max, ligne_.size())));
    if (lf == std::string_view::npos) return;
    octets.remove_prefix(lf + 1);
    std::string_view ligne = ligne_;
    if (ligne.ends_with('\r')) ligne.remove_suffix(1);
    sur_ligne(ligne, t);
    ligne_.clear();
  }
}

void sonde_stats::sur_ligne(std::string_view ligne, std::int64_t t) {
  if (etat_ == etat::enregistrement) {
    if (ligne != "SPECTATEUR ENREGISTRE") {
      ferme();
      return;
    }
    etat_ = etat::active;
    prochaine_ = t;
    demande(t);
    return;
  }
  if (etat_ != etat::active) return;
  en_attente_ = false;
  if (auto stats = lit_stats(ligne)) releves_.push_back(releve{t, *stats});
}

std::optional<std::int64_t> sonde_stats::prochaine_demande() const {
  if (etat_ != etat::active) return std::nullopt;
  return prochaine_;
}

void sonde_stats::demande(std::int64_t t) {
  if (etat_ != etat::active || t < prochaine_) return;
  if (!en_attente_) {
    sortie_ += "GET STATS\r\n";
    en_attente_ = true;
  }
  while (prochaine_ <= t) prochaine_ += periode;
}

void sonde_stats::ferme() {
  etat_ = etat::fermee;
  sortie_.clear();
}

}  // namespace jeu::charge
