#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "config/configuration.h"
#include "world/abords_cubes.h"
#include "world/aleatoire.h"
#include "world/diffusion.h"
#include "world/evenements.h"
#include "world/index_vaisseaux.h"
#include "world/liste_balles.h"
#include "world/mesures.h"
#include "world/records.h"
#include "world/scores.h"
#include "world/texte_partage.h"
#include "world/verrou.h"

namespace jeu {

// Cells of the obstacle grid along each axis: the 45 arena cells plus a ring
// of always-free cells, so a 3 x 3 lookup around any arena cell stays inside.
inline constexpr int cellules_grille_x =
    static_cast<int>(configuration::largeur_plateau / configuration::taille_cube) + 2;
inline constexpr int cellules_grille_y =
    static_cast<int>(configuration::hauteur_plateau / configuration::taille_cube) + 2;

// First index along x, second along y; cell (i, j) of the arena is [i + 1][j + 1].
using grille = std::array<std::array<bool, cellules_grille_y>, cellules_grille_x>;

// The whole shared state of a game. The server has one (see main); tests and
// benchmarks build their own.
struct monde {
  explicit monde(std::uint64_t graine) : alea(graine) {}
  monde(const monde&) = delete;
  monde& operator=(const monde&) = delete;

  // The world's only lock. Nothing that holds it takes it again, nor any
  // other lock (the waiting room's, net/salle_attente.h, is never nested).
  mutable Verrou verrou_monde;

  // Written by cree_cubes before any other thread exists; read-only
  // afterwards, so readers need no lock. The grid and the table of the
  // cubes' surroundings are written together by marque_cellule_cube.
  std::vector<cube> cubes;  // last drawn first
  grille grille_cubes{};
  abords_cubes abords;

  // Newest first; removals keep the order of the others (clients see it).
  // Ships enter only through place_vaisseau (world/flotte.h), so the list is
  // in descending serial order, and leave only through detruit_vaisseau or
  // detruit_vaisseaux_marques (simulation/destruction.h).
  std::deque<vaisseau> vaisseaux GUARDED_BY(verrou_monde);
  // The ships of `vaisseaux` by position, kept in step by every path that
  // adds, moves or removes a ship.
  index_vaisseaux index GUARDED_BY(verrou_monde);
  // Newest first, each with its move per tick. Bullets enter only through
  // ajoute_balle (world/munitions.h).
  liste_balles balles GUARDED_BY(verrou_monde);
  // Bullets in `balles` per colour; colours with none are absent.
  std::unordered_map<couleur_t, int> balles_par_couleur GUARDED_BY(verrou_monde);
  aleatoire alea GUARDED_BY(verrou_monde);
  // The encoded lines of `vaisseaux` and `balles`, shared by every list
  // reply. Every path that changes a ship's place, heading, life points or
  // the list marks texte_vaisseaux; `balles` carries a version instead.
  // Caches of what the lists hold: readers of a const world refresh them.
  mutable texte_partage texte_vaisseaux GUARDED_BY(verrou_monde);
  mutable texte_partage texte_balles GUARDED_BY(verrou_monde);
  mutable texte_partage texte_cubes GUARDED_BY(verrou_monde);
  // Serial of the next ship created; never reused.
  std::uint64_t prochaine_serie GUARDED_BY(verrou_monde) = 1;
  // Ticks done since the world was made; the tick in progress has this
  // number (the first tick is 1), what happens between ticks the last one's.
  std::uint64_t numero_tick GUARDED_BY(verrou_monde) = 0;

  // Who hit whom, per colour, and what happened lately: written by the
  // tick and the sessions through simulation/comptes.h only.
  tableau_scores scores GUARDED_BY(verrou_monde);
  journal_evenements evenements GUARDED_BY(verrou_monde);

  // The last tick's frame for the spectators' streams (its own lock).
  diffusion flux;

  // The server's view of itself, for spectators: the recent ticks (noted by
  // the simulation thread) and the sessions' counters (atomics, no lock).
  mesures ticks GUARDED_BY(verrou_monde);
  compteurs_sessions compteurs;
};

}  // namespace jeu
