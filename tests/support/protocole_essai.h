#pragma once

// Single lines and single numbers as the list replies write them, for tests
// that check the formats one item or one value at a time.

#include <string>
#include <string_view>

#include "net/protocole.h"
#include "net/traitement.h"

namespace jeu::essai {

// The list reply of one item, its header removed: "512 301 1.57 5 16711680\r\n".
std::string ligne_vaisseau(const vaisseau& v);
std::string ligne_balle(const balle& b);
std::string ligne_cube(const cube& c);

// How a coordinate is written (a bullet's x: truncated toward zero), and how
// an angle is (a ship's third field).
std::string texte_tronque(double v);
std::string texte_angle(double v);

// Both steps of one play request, the reply formatted at once.
struct reponse_complete {
  std::string reponse;
  std::string journal;
  bool fin = false;
};
reponse_complete traite(joueur& j, monde& m, std::string_view ligne) REQUIRES(m.verrou_monde);

}  // namespace jeu::essai
