#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
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
// under verrou_monde. Every operation is O(1) on average. Out of memory, an
// operation throws, having counted at most part of what it reports; the
// table stays whole.
class tableau_scores {
 public:
  static constexpr std::size_t capacite_defaut = 100'000;

  explicit tableau_scores(std::size_t capacite = capacite_defaut) : capacite_(capacite) {}
  tableau_scores(const tableau_scores&) = delete;
  tableau_scores& operator=(const tableau_scores&) = delete;

  // Empties the table and sets its capacity.
  void redimensionne(std::size_t capacite);
  std::size_t capacite() const { return capacite_; }
  std::size_t taille() const { return fiches_.size(); }

  // A ship of this colour entered the arena at tick `tick`.
  void arrivee(couleur_t c, std::uint64_t tick);
  // The ship of this colour left the arena at tick `tick` (destroyed or not).
  void depart(couleur_t c, std::uint64_t tick);
  // A bullet was fired by a ship of this colour.
  void tir(couleur_t c);
  // A bullet of `tireur` hit a ship of `cible`, taking its last life point
  // when `detruit` (the departure is reported apart, by depart).
  void touche(couleur_t tireur, couleur_t cible, bool detruit);

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
  struct fiche {
    score s;
    std::int64_t serie = 0;          // kills in the life in progress
    std::uint64_t debut = 0;         // tick its ship arrived, while alive
    std::uint64_t vu = 0;
    bool vivant = false;
    bool change = false;
    // The list that holds it (see below) and its place there.
    enum class liste : unsigned char { aucune, sans_kill, avec_kill, vivants } dans = liste::aucune;
    std::list<couleur_t>::iterator place;
  };
  using carte = std::unordered_map<couleur_t, fiche>;

  // The colour's entry, made (after making room) when new; nullptr when the
  // table keeps nothing.
  fiche* trouve_ou_cree(couleur_t c);
  void vu(couleur_t c, fiche& f);
  std::list<couleur_t>& liste_de(fiche::liste l);
  void sort_de_sa_liste(fiche& f);
  // Into the list its state says, at the most recent end.
  void entre_dans_sa_liste(couleur_t c, fiche& f);
  void fait_de_la_place();
  void marque(couleur_t c, fiche& f);
  ligne_score ligne(couleur_t c, const fiche& f, std::uint64_t tick) const;

  std::size_t capacite_;
  carte fiches_;
  // Colours not alive, oldest activity first: those without a kill, and
  // those with; and the colours alive.
  std::list<couleur_t> ages_sans_kill_;
  std::list<couleur_t> ages_avec_kill_;
  std::list<couleur_t> vivants_;
  std::uint64_t prochain_vu_ = 1;
  // The last shooter's entry: a shooter's bullets often hit one after the
  // other. Entries do not move in the map; only an erase ends this one.
  couleur_t dernier_tireur_ = 0;
  fiche* fiche_dernier_tireur_ = nullptr;
  bool suivi_ = false;
  std::vector<couleur_t> changes_;
  std::vector<couleur_t> oublies_;
};

}  // namespace jeu
