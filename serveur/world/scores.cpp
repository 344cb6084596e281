#include "world/scores.h"

#include <algorithm>

namespace jeu {

void tableau_scores::redimensionne(std::size_t capacite) {
  capacite_ = capacite;
  fiches_.clear();
  ages_sans_kill_.clear();
  ages_avec_kill_.clear();
  vivants_.clear();
  changes_.clear();
  oublies_.clear();
  fiche_dernier_tireur_ = nullptr;
}

std::list<couleur_t>& tableau_scores::liste_de(fiche::liste l) {
  switch (l) {
    case fiche::liste::avec_kill: return ages_avec_kill_;
    case fiche::liste::vivants: return vivants_;
    case fiche::liste::aucune:
    case fiche::liste::sans_kill: break;
  }
  return ages_sans_kill_;
}

void tableau_scores::sort_de_sa_liste(fiche& f) {
  if (f.dans == fiche::liste::aucune) return;
  liste_de(f.dans).erase(f.place);
  f.dans = fiche::liste::aucune;
}

void tableau_scores::entre_dans_sa_liste(couleur_t c, fiche& f) {
  const fiche::liste voulue = f.vivant                 ? fiche::liste::vivants
                              : f.s.destructions > 0   ? fiche::liste::avec_kill
                                                       : fiche::liste::sans_kill;
  std::list<couleur_t>& l = liste_de(voulue);
  if (f.dans == fiche::liste::aucune) {
    f.place = l.insert(l.end(), c);
  } else {
    // Moved without allocating: once a colour is in the table, nothing
    // that changes its state can fail.
    l.splice(l.end(), liste_de(f.dans), f.place);
  }
  f.dans = voulue;
}

void tableau_scores::vu(couleur_t c, fiche& f) {
  f.vu = prochain_vu_++;
  entre_dans_sa_liste(c, f);
}

void tableau_scores::marque(couleur_t c, fiche& f) {
  if (!suivi_ || f.change) return;
  f.change = true;
  changes_.push_back(c);
}

void tableau_scores::fait_de_la_place() {
  std::list<couleur_t>& ages = ages_sans_kill_.empty() ? ages_avec_kill_ : ages_sans_kill_;
  if (ages.empty()) return;  // every colour alive: the table grows by this one
  const couleur_t c = ages.front();
  ages.pop_front();
  if (fiche_dernier_tireur_ != nullptr && dernier_tireur_ == c) fiche_dernier_tireur_ = nullptr;
  fiches_.erase(c);
  // A colour that comes back later is marked changed again; its stale entry
  // in changes_ is skipped by prend_changements.
  if (suivi_) oublies_.push_back(c);
}

tableau_scores::fiche* tableau_scores::trouve_ou_cree(couleur_t c) {
  if (capacite_ == 0) return nullptr;
  if (const auto it = fiches_.find(c); it != fiches_.end()) return &it->second;
  if (fiches_.size() >= capacite_) fait_de_la_place();
  fiche& f = fiches_[c];
  vu(c, f);
  return &f;
}

void tableau_scores::arrivee(couleur_t c, std::uint64_t tick) {
  fiche* const f = trouve_ou_cree(c);
  if (f == nullptr) return;
  marque(c, *f);
  if (f->vivant) depart(c, tick);  // a live colour is never registered again; kept sound anyway
  f->vivant = true;
  f->debut = tick;
  f->serie = 0;
  ++f->s.vies;
  vu(c, *f);
}

void tableau_scores::depart(couleur_t c, std::uint64_t tick) {
  const auto it = fiches_.find(c);
  if (it == fiches_.end() || !it->second.vivant) return;
  fiche& f = it->second;
  marque(c, f);
  f.s.ticks_en_vie += static_cast<std::int64_t>(tick - f.debut);
  f.vivant = false;
  vu(c, f);
}

void tableau_scores::tir(couleur_t c) {
  fiche* const f = trouve_ou_cree(c);
  if (f == nullptr) return;
  marque(c, *f);
  ++f->s.tirs;
}

void tableau_scores::touche(couleur_t tireur, couleur_t cible, bool detruit) {
  if (tireur == cible) {
    if (fiche* const f = trouve_ou_cree(cible)) {
      marque(cible, *f);
      ++f->s.touches_soi;
      if (detruit) ++f->s.morts;
    }
    return;
  }
  // The target is alive, so never the colour evicted to make room for a
  // shooter that had left the table.
  fiche* const t = fiche_dernier_tireur_ != nullptr && dernier_tireur_ == tireur
                       ? fiche_dernier_tireur_
                       : trouve_ou_cree(tireur);
  dernier_tireur_ = tireur;
  fiche_dernier_tireur_ = t;
  if (t != nullptr) {
    marque(tireur, *t);
    ++t->s.touches_donnees;
    if (detruit) {
      ++t->s.destructions;
      ++t->serie;
      t->s.meilleure_serie = std::max(t->s.meilleure_serie, t->serie);
    }
    // A shooter that left is active again (and, at its first kill, moves to
    // the colours that leave last).
    if (!t->vivant) vu(tireur, *t);
  }
  if (fiche* const f = trouve_ou_cree(cible)) {
    marque(cible, *f);
    ++f->s.touches_recues;
    if (detruit) ++f->s.morts;
  }
}

ligne_score tableau_scores::ligne(couleur_t c, const fiche& f, std::uint64_t tick) const {
  ligne_score l{c, f.s, f.vivant, f.vu};
  if (f.vivant) l.s.ticks_en_vie += static_cast<std::int64_t>(tick - f.debut);
  return l;
}

void tableau_scores::copie(std::vector<ligne_score>& sortie, std::uint64_t tick) const {
  sortie.reserve(sortie.size() + fiches_.size());
  for (const auto& [c, f] : fiches_) sortie.push_back(ligne(c, f, tick));
}

void tableau_scores::prend_changements(std::vector<ligne_score>& changes,
                                       std::vector<couleur_t>& oublies, std::uint64_t tick) {
  for (const couleur_t c : changes_) {
    const auto it = fiches_.find(c);
    if (it == fiches_.end() || !it->second.change) continue;
    it->second.change = false;
    if (!it->second.vivant) changes.push_back(ligne(c, it->second, tick));
  }
  changes_.clear();
  for (const couleur_t c : vivants_) changes.push_back(ligne(c, fiches_.find(c)->second, tick));
  oublies.insert(oublies.end(), oublies_.begin(), oublies_.end());
  oublies_.clear();
}

void tableau_scores::charge(const ligne_score& l) {
  if (capacite_ == 0) return;
  if (fiches_.size() >= capacite_ && fiches_.find(l.couleur) == fiches_.end()) {
    const bool suivi = suivi_;
    suivi_ = false;
    fait_de_la_place();
    suivi_ = suivi;
  }
  fiche& f = fiches_[l.couleur];
  f.s = l.s;
  f.vu = l.vu;
  f.vivant = false;
  prochain_vu_ = std::max(prochain_vu_, l.vu + 1);
  entre_dans_sa_liste(l.couleur, f);
}

}  // namespace jeu
