#include "world/scores.h"

#include <algorithm>
#include <bit>

namespace jeu {

namespace {

constexpr std::size_t taille_index_initiale = 16;

}  // namespace

void tableau_scores::redimensionne(std::size_t capacite) {
  capacite_ = capacite;
  taille_ = 0;
  fiches_.clear();
  libres_ = aucun;
  index_.assign(taille_index_initiale, case_index{0, aucun});
  decalage_ = 64 - static_cast<unsigned>(std::countr_zero(taille_index_initiale));
  for (chaine& l : listes_) l = chaine{};
  changes_.clear();
  oublies_.clear();
  fiche_dernier_tireur_ = aucun;
}

void tableau_scores::agrandit_index() {
  const std::size_t taille = index_.size() * 2;
  std::vector<case_index> nouveau(taille, case_index{0, aucun});
  index_.swap(nouveau);
  decalage_ = 64 - static_cast<unsigned>(std::countr_zero(taille));
  const std::size_t masque = taille - 1;
  for (const case_index& k : nouveau) {
    if (k.fiche == aucun) continue;
    std::size_t p = place_de(k.couleur);
    while (index_[p].fiche != aucun) p = (p + 1) & masque;
    index_[p] = k;
  }
}

void tableau_scores::detache(indice i) {
  fiche& f = fiches_[i];
  if (f.dans == liste::aucune) return;
  chaine& l = listes_[static_cast<int>(f.dans)];
  (f.precedente == aucun ? l.premiere : fiches_[f.precedente].suivante) = f.suivante;
  (f.suivante == aucun ? l.derniere : fiches_[f.suivante].precedente) = f.precedente;
  f.precedente = f.suivante = aucun;
  f.dans = liste::aucune;
}

void tableau_scores::range(indice i) {
  fiche& f = fiches_[i];
  const liste voulue = liste_voulue(f);
  if (f.dans == voulue && f.suivante == aucun) return;  // already the most recent there
  detache(i);
  chaine& l = listes_[static_cast<int>(voulue)];
  f.precedente = l.derniere;
  (l.derniere == aucun ? l.premiere : fiches_[l.derniere].suivante) = i;
  l.derniere = i;
  f.dans = voulue;
}

void tableau_scores::marque_lent(indice i) {
  fiche& f = fiches_[i];
  if (f.change) return;
  f.change = true;
  changes_.push_back(f.couleur);
}

void tableau_scores::efface(indice i) {
  detache(i);
  // Backward-shift deletion: the entries after it in its run move up, so
  // that no search stops early and no tombstone is left.
  const std::size_t masque = index_.size() - 1;
  std::size_t trou = place_de(fiches_[i].couleur);
  while (index_[trou].fiche != i) trou = (trou + 1) & masque;
  for (std::size_t p = (trou + 1) & masque; index_[p].fiche != aucun; p = (p + 1) & masque) {
    const std::size_t ideale = place_de(index_[p].couleur);
    // Moves up unless its ideal place lies cyclically in (trou, p].
    if (((p - ideale) & masque) >= ((p - trou) & masque)) {
      index_[trou] = index_[p];
      trou = p;
    }
  }
  index_[trou] = case_index{0, aucun};
  fiches_[i] = fiche{};
  fiches_[i].suivante = libres_;
  libres_ = i;
  --taille_;
}

void tableau_scores::fait_de_la_place() {
  chaine& ages = listes_[static_cast<int>(listes_[0].premiere != aucun ? liste::sans_kill : liste::avec_kill)];
  if (ages.premiere == aucun) return;  // every colour alive: the table grows by this one
  const indice i = ages.premiere;
  const couleur_t c = fiches_[i].couleur;
  if (fiche_dernier_tireur_ == i) fiche_dernier_tireur_ = aucun;
  // The list of oubliés grows first: out of memory, nothing has changed.
  // A colour that comes back later is marked changed again; its stale entry
  // in changes_ is skipped by prend_changements.
  if (suivi_) oublies_.push_back(c);
  efface(i);
}

tableau_scores::indice tableau_scores::trouve_ou_cree(couleur_t c) {
  if (capacite_ == 0) return aucun;
  if (const indice i = cherche(c); i != aucun) return i;
  // Out of memory, each step leaves the table whole: the index grows first,
  // then room is made (a colour may leave), then a slot is taken.
  if ((taille_ + 1) * 2 > index_.size()) agrandit_index();
  if (taille_ >= capacite_) fait_de_la_place();
  if (libres_ == aucun) fiches_.emplace_back();
  indice i = libres_;
  if (i == aucun) {
    i = static_cast<indice>(fiches_.size() - 1);
  } else {
    libres_ = fiches_[i].suivante;
    fiches_[i].suivante = aucun;
  }
  fiches_[i].couleur = c;
  const std::size_t masque = index_.size() - 1;
  std::size_t p = place_de(c);
  while (index_[p].fiche != aucun) p = (p + 1) & masque;
  index_[p] = case_index{c, i};
  ++taille_;
  vu(i);
  return i;
}

void tableau_scores::arrivee(couleur_t c, std::uint64_t tick) {
  const indice i = trouve_ou_cree(c);
  if (i == aucun) return;
  marque(i);
  if (fiches_[i].vivant) depart(c, tick);  // a live colour is never registered again; kept sound anyway
  fiche& f = fiches_[i];
  f.vivant = true;
  f.debut = tick;
  f.serie = 0;
  ++f.s.vies;
  vu(i);
}

void tableau_scores::depart(couleur_t c, std::uint64_t tick) {
  if (const indice i = cherche(c); i != aucun) part(i, tick);
}

void tableau_scores::part(indice i, std::uint64_t tick) {
  fiche& f = fiches_[i];
  if (!f.vivant) return;
  marque(i);
  f.s.ticks_en_vie += static_cast<std::int64_t>(tick - f.debut);
  f.vivant = false;
  vu(i);
}

void tableau_scores::tir(couleur_t c) {
  const indice i = trouve_ou_cree(c);
  if (i == aucun) return;
  marque(i);
  ++fiches_[i].s.tirs;
}

void tableau_scores::touche_soi(couleur_t c, bool detruit, std::uint64_t tick) {
  const indice i = trouve_ou_cree(c);
  if (i == aucun) return;
  marque(i);
  ++fiches_[i].s.touches_soi;
  if (!detruit) return;
  ++fiches_[i].s.morts;
  part(i, tick);
}

ligne_score tableau_scores::ligne(const fiche& f, std::uint64_t tick) const {
  ligne_score l{f.couleur, f.s, f.vivant, f.vu};
  if (f.vivant) l.s.ticks_en_vie += static_cast<std::int64_t>(tick - f.debut);
  return l;
}

void tableau_scores::copie(std::vector<ligne_score>& sortie, std::uint64_t tick) const {
  sortie.reserve(sortie.size() + taille_);
  for (const fiche& f : fiches_) {
    if (f.dans != liste::aucune) sortie.push_back(ligne(f, tick));
  }
}

void tableau_scores::prend_changements(std::vector<ligne_score>& changes,
                                       std::vector<couleur_t>& oublies, std::uint64_t tick) {
  for (const couleur_t c : changes_) {
    const indice i = cherche(c);
    if (i == aucun || !fiches_[i].change) continue;
    fiches_[i].change = false;
    if (!fiches_[i].vivant) changes.push_back(ligne(fiches_[i], tick));
  }
  changes_.clear();
  for (indice i = listes_[static_cast<int>(liste::vivants)].premiere; i != aucun; i = fiches_[i].suivante) {
    changes.push_back(ligne(fiches_[i], tick));
  }
  oublies.insert(oublies.end(), oublies_.begin(), oublies_.end());
  oublies_.clear();
}

void tableau_scores::charge(const ligne_score& l) {
  if (capacite_ == 0) return;
  const bool suivi = suivi_;
  suivi_ = false;
  const indice i = trouve_ou_cree(l.couleur);
  suivi_ = suivi;
  fiche& f = fiches_[i];
  f.s = l.s;
  f.vu = l.vu;
  f.vivant = false;
  prochain_vu_ = std::max(prochain_vu_, l.vu + 1);
  range(i);
}

}  // namespace jeu
