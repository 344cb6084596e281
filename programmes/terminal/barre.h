#pragma once

// The status bar: one line under the arena.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jeu_client.h"

namespace jeu::terminal {

// Where a replay stands.
struct etat_relecture {
  std::uint64_t tick = 0;
  std::uint64_t dernier = 0;
  bool pause = false;
  double vitesse = 1;
};

struct etat_barre {
  bool spectateur = false;
  bool detruit = false;  // the player's ship was destroyed
  int pt_vie = 0;
  int max_pt_vie = 0;
  double vitesse = 0;
  std::size_t vaisseaux = 0;
  std::size_t balles = 0;
  std::optional<jeu_client::statistiques> stats;  // a spectator's last "GET STATS"
  double images_par_seconde = 0;                  // redraws over the last second
  std::string message;                            // said first when not empty
  std::optional<etat_relecture> relecture;        // replaying a recording
};

// The bar's text for a terminal `largeur` columns wide (ASCII only, one byte
// a column): for a player "life 4/5  speed 1.0  ships ...", or "DESTROYED"
// and how to rejoin; for a spectator the ships, bullets, ticks per second,
// players and spectators; then the redraw rate and the keys. Laid out by
// compose_barre, so the keys stay in view down to a terminal of their width.
std::string texte_barre(const etat_barre& e, int largeur);

// The first of these that fits in `largeur` columns: `infos` (most important
// first) then `touches`, separated by two spaces; the same with one space
// between the infos; then with the infos dropped from the last one on.
// When `touches` alone does not fit, the first form cut to `largeur`.
std::string compose_barre(const std::vector<std::string>& infos, std::string_view touches,
                          int largeur);

}  // namespace jeu::terminal
