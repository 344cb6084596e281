#pragma once

// How the players of a frame run differ: which ones shoot, and where in the
// period each one's frames fall. Both depend on the player's index only, so
// players added later do not change the earlier ones.

#include <cstdint>

namespace jeu::charge {

// Whether player `i` (from 0) shoots when `pourcent` % of the players do:
// exactly floor(n * pourcent / 100) of the first n players, evenly spread.
bool est_tireur(std::int64_t i, double pourcent);

// Offset in [0, periode) of player i's frames within the period: the
// fractional parts of i times the golden ratio, so that any first n players
// spread about evenly over it.
std::int64_t decalage_trames(std::int64_t i, std::int64_t periode);

}  // namespace jeu::charge
