#pragma once

#include <cstdint>

namespace jeu {

// A player's identity on the wire: any signed 64-bit integer (0xRRGGBB by
// convention, never range-checked).
using couleur_t = std::int64_t;

// The ship of one player. `serie` is never sent to clients: it tells apart
// two ships that held the same colour one after the other.
struct vaisseau {
  double x;
  double y;
  double angle;    // radians, never normalised
  double vitesse;  // units per tick, within [vitesse_min, vitesse_max]
  int pt_vie;      // 1..max_pt_vie while in the world
  couleur_t couleur;
  std::uint64_t serie;
};

struct balle {
  double x;
  double y;
  double angle;
  couleur_t couleur;  // the shooter's colour, reported only
};

// Square obstacle: x2 = x1 + taille_cube, y2 = y1 + taille_cube.
struct cube {
  double x1;
  double y1;
  double x2;
  double y2;
};

}  // namespace jeu

namespace jeu {

// Which ship a session owns: its colour and the serial it was created with.
struct identite {
  couleur_t couleur;
  std::uint64_t serie;
};

}  // namespace jeu
