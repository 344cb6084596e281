#pragma once

#include "world/monde.h"

namespace jeu {

// Placement attempts cree_vaisseau makes before it gives up on a full arena.
// A refusal then holds the world lock for about 2 ms with 1,700 ships
// (Release build, bench/tick_bench.cpp).
inline constexpr int essais_placement_max = 20000;

// Puts a new ship of this colour at a random free place, random heading, at
// rest, max_pt_vie life points, at the head of m.vaisseaux, with a fresh
// serial (read it from m.vaisseaux.front() while still holding the lock).
// Returns false, with the ships unchanged, when a ship already has this colour
// (then no random draw is made) or when no free place was found within
// essais_placement_max attempts (the draws are then spent).
// REQUIRES: m.verrou_monde.
bool cree_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

}  // namespace jeu
