#pragma once

// The characters the arena is drawn with: box drawing and arrows where the
// terminal takes UTF-8, ASCII elsewhere.

#include <string_view>

namespace jeu::terminal {

struct glyphes {
  std::string_view coin_haut_gauche;
  std::string_view coin_haut_droit;
  std::string_view coin_bas_gauche;
  std::string_view coin_bas_droit;
  std::string_view horizontal;
  std::string_view vertical;
  std::string_view cube;
  std::string_view balle;
};

// The set for a UTF-8 terminal, or the ASCII one.
const glyphes& jeu_de_glyphes(bool utf8);

// The mark of a ship heading `angle` radians (any value; y downward, so
// pi/2 points down): the nearest of 8 arrows in UTF-8, of 4 in ASCII
// (> v < ^).
std::string_view marque_cap(double angle, bool utf8);

}  // namespace jeu::terminal
