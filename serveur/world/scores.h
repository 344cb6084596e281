#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/records.h"

namespace jeu {

// What one colour did, across its ships and connections.
struct score {
  std::int64_t destructions = 0;     // ships of other colours it took the last life point of
  std::int64_t morts = 0;            // its ships destroyed by a bullet, its own included
  std::int64_t touches_donnees = 0;  // hits on ships of other colours
  std::int64_t touches_recues = 0;   // hits on its ships by other colours' bullets
  std::int64_t touches_soi = 0;      // hits on its ships by its own bullets
  std::int64_t tirs = 0;             // bullets fired
  std::int64_t vies = 0;             // ships registered
  std::int64_t ticks_en_vie = 0;     // ticks its ships spent in the arena
  std::int64_t meilleure_serie = 0;  // most kills in one life

  bool operator==(const score&) const = default;
};

// One colour's figures as reported: ticks alive and best streak include the
// life in progress.
struct ligne_score {
  couleur_t couleur = 0;
  score s;
  bool vivant = false;
  // Rank of its last activity among all colours' (larger: more recent);
  // kept across restarts so that the same colours leave first.
  std::uint64_t vu = 0;
};

// The scores of every colour seen, bounded: when a new colour comes and the
// table is full, the colour seen longest ago with no kill leaves, or failing
// that the colour seen longest ago; a colour with a ship in the arena never
// leaves. Capacity 0 keeps nothing. No lock of its own: the world keeps it
// under verrou_monde. Every operation is O(1) on average; the tick calls
// them for every hit, so entries live in one array, found through an
// open-addressing index, and the age lists are threaded through them (no
// allocation once a colour is in). Out of memory, an operation throws,
// having counted at most part of what it reports; the table stays whole.
class tableau_scores {
 public:
  static constexpr std::size_t capacite_defaut = 100'000;

  explicit tableau_scores(std::size_t capacite = capacite_defaut) { redimensionne(capacite); }
  tableau_scores(const tableau_scores&) = delete;
  tableau_scores& operator=(const tableau_scores&) = delete;

  // Empties the table and sets its capacity.
  void redimensionne(std::size_t capacite);
  std::size_t capacite() const { return capacite_; }
  std::size_t taille() const { return taille_; }

  // A ship of this colour entered the arena at tick `tick`.
  void arrivee(couleur_t c, std::uint64_t tick);
  // The ship of this colour left the arena at tick `tick` (destroyed or not).
  void depart(couleur_t c, std::uint64_t tick);
  // A bullet was fired by a ship of this colour.
  void tir(couleur_t c);
  // A bullet of `tireur` hit a ship of `cible` at tick `tick`, taking its
  // last life point when `detruit`: the target's ship then leaves, as by
  // depart. Inline: the tick calls it for every hit.
  inline void touche(couleur_t tireur, couleur_t cible, bool detruit, std::uint64_t tick);

  // Appends every colour's line, as of tick `tick`, in no particular order.
  void copie(std::vector<ligne_score>& sortie, std::uint64_t tick) const;

  // Once enabled, the table keeps what changed for a saver to take.
  void suit_changements() { suivi_ = true; }
  // Appends the lines of the colours changed since the last call and of
  // every colour alive (its time alive grows), as of tick `tick`, and the
  // colours that left the table since; forgets both.
  void prend_changements(std::vector<ligne_score>& changes, std::vector<couleur_t>& oublies,
                         std::uint64_t tick);
  // Puts back a colour as loaded from a saved table, not alive. Lines are
  // given in increasing `vu`; beyond capacity the oldest leave. Not marked
  // changed.
  void charge(const ligne_score& l);

 private:
  using indice = std::uint32_t;
  static constexpr indice aucun = 0xFFFF'FFFF;

  // The age lists: colours not alive, oldest activity first, without a kill
  // and with one; and the colours alive. A free slot is in none.
  enum class liste : unsigned char { sans_kill, avec_kill, vivants, aucune };
  struct chaine {
    indice premiere = aucun;
    indice derniere = aucun;
  };
  struct fiche {
    couleur_t couleur = 0;
    score s;
    std::int64_t serie = 0;   // kills in the life in progress
    std::uint64_t debut = 0;  // tick its ship arrived, while alive
    std::uint64_t vu = 0;
    indice precedente = aucun;  // in its list; a free slot's next free one in `suivante`
    indice suivante = aucun;
    liste dans = liste::aucune;
    bool vivant = false;
    bool change = false;
  };
  struct case_index {
    couleur_t couleur;
    indice fiche;  // aucun: empty
  };

  // The colour's slot, or aucun.
  indice cherche(couleur_t c) const {
    const std::size_t masque = index_.size() - 1;
    for (std::size_t p = place_de(c);; p = (p + 1) & masque) {
      const case_index& k = index_[p];
      if (k.fiche == aucun || k.couleur == c) return k.fiche;
    }
  }
  // The colour's slot, made (after making room) when new; aucun when the
  // table keeps nothing.
  indice trouve_ou_cree(couleur_t c);
  std::size_t place_de(couleur_t c) const {
    // Fibonacci hashing: colours are often consecutive or share low bits.
    return static_cast<std::size_t>((static_cast<std::uint64_t>(c) * 0x9E37'79B9'7F4A'7C15ull) >> decalage_);
  }
  void agrandit_index();
  void efface(indice i);
  void detache(indice i);
  // Into the list its state says, at the most recent end.
  void range(indice i);
  void vu(indice i) {
    fiche& f = fiches_[i];
    f.vu = prochain_vu_++;
    if (f.dans != liste_voulue(f) || f.suivante != aucun) range(i);
  }
  static liste liste_voulue(const fiche& f) {
    return f.vivant ? liste::vivants : f.s.destructions > 0 ? liste::avec_kill : liste::sans_kill;
  }
  void fait_de_la_place();
  void marque(indice i) {
    if (suivi_) marque_lent(i);
  }
  void marque_lent(indice i);
  void touche_soi(couleur_t c, bool detruit, std::uint64_t tick);
  void part(indice i, std::uint64_t tick);
  ligne_score ligne(const fiche& f, std::uint64_t tick) const;

  std::size_t capacite_;
  std::size_t taille_ = 0;
  std::vector<fiche> fiches_;
  indice libres_ = aucun;
  std::vector<case_index> index_;  // a power of two long, at most half full
  unsigned decalage_ = 64;         // 64 - log2(index_.size())
  chaine listes_[3];
  std::uint64_t prochain_vu_ = 1;
  // The last shooter's slot: a shooter's bullets often hit one after the
  // other. Only an eviction ends it.
  couleur_t dernier_tireur_ = 0;
  indice fiche_dernier_tireur_ = aucun;
  bool suivi_ = false;
  std::vector<couleur_t> changes_;
  std::vector<couleur_t> oublies_;
};

void tableau_scores::touche(couleur_t tireur, couleur_t cible, bool detruit, std::uint64_t tick) {
  if (tireur == cible) return touche_soi(cible, detruit, tick);
  // The target is alive, so never the colour evicted to make room for a
  // shooter that had left the table.
  const indice t = fiche_dernier_tireur_ != aucun && dernier_tireur_ == tireur ? fiche_dernier_tireur_
                                                                                : trouve_ou_cree(tireur);
  dernier_tireur_ = tireur;
  fiche_dernier_tireur_ = t;
  if (t != aucun) {
    marque(t);
    fiche& f = fiches_[t];
    ++f.s.touches_donnees;
    if (detruit) {
      ++f.s.destructions;
      ++f.serie;
      f.s.meilleure_serie = std::max(f.s.meilleure_serie, f.serie);
    }
    // A shooter that left is active again (and, at its first kill, moves to
    // the colours that leave last).
    if (!f.vivant) vu(t);
  }
  indice i = cherche(cible);
  if (i == aucun) i = trouve_ou_cree(cible);
  if (i != aucun) {
    marque(i);
    fiche& f = fiches_[i];
    ++f.s.touches_recues;
    if (detruit) {
      ++f.s.morts;
      part(i, tick);
    }
  }
}

}  // namespace jeu
