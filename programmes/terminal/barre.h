#pragma once

// The status bar: one line under the arena.

#include <cstddef>
#include <optional>
#include <string>

#include "jeu_client.h"

namespace jeu::terminal {

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
};

// The bar's text, cut to `largeur` columns (ASCII only, one byte a column):
// for a player "life 4/5  speed 1.0  ships ...", or "DESTROYED" and how to
// rejoin; for a spectator the ships, bullets, ticks per second, players and
// spectators; then the redraw rate and the keys.
std::string texte_barre(const etat_barre& e, int largeur);

}  // namespace jeu::terminal
