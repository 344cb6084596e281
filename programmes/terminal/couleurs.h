#pragma once

// Ships' colours on a terminal: the number a player registers is read as
// 0xRRGGBB and drawn in the nearest colour the terminal has.

#include <cstdint>

namespace jeu::terminal {

struct rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const rgb&) const = default;
};

// The low 24 bits of `couleur` as 0xRRGGBB (higher bits, sign included, ignored).
rgb composantes(std::int64_t couleur);

// The colour `indice` of a terminal as xterm shows it by default: 0..15 the
// system colours, 16..231 the 6x6x6 cube, 232..255 the greys.
rgb teinte_terminal(int indice);

// The index of the terminal colour nearest to `couleur` (RGB distance) among
// what a terminal of `nb_couleurs` colours has: 0..7, 0..15 from 16 colours,
// and from 256 the cube and the greys only (16..255), which, unlike the
// system colours, no theme changes.
int couleur_proche(std::int64_t couleur, int nb_couleurs);

// Whether black text on `couleur` would be hard to read (dark colours take
// white text instead): its luma (0.299 R + 0.587 G + 0.114 B) under 128.
bool sombre(std::int64_t couleur);

}  // namespace jeu::terminal
