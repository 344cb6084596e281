#pragma once

#include <cstdint>
#include <random>

namespace jeu {

// The one pseudo-random generator of a world.
class aleatoire {
 public:
  explicit aleatoire(std::uint64_t graine) : moteur_(graine) {}

  // Uniform integer in [0, borne); borne must be positive.
  int entier(int borne);
  // Uniform real in [0, 1).
  double reel();
  // Number of draws made so far (entier and reel each count one).
  std::uint64_t tirages() const { return tirages_; }

 private:
  std::mt19937_64 moteur_;
  std::uint64_t tirages_ = 0;
};

}  // namespace jeu
