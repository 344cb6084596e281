#include "world/aleatoire.h"

namespace jeu {

int aleatoire::entier(int borne) {
  ++tirages_;
  return std::uniform_int_distribution<int>(0, borne - 1)(moteur_);
}

double aleatoire::reel() {
  ++tirages_;
  // 53 random bits scaled by 2^-53: never 1.0, unlike some
  // uniform_real_distribution implementations.
  return static_cast<double>(moteur_() >> 11) * 0x1.0p-53;
}

}  // namespace jeu
