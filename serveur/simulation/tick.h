#pragma once

#include "world/monde.h"

namespace jeu {

// One tick, numbered m.numero_tick + 1: mise_a_jour_balles, then
// mise_a_jour_vaisseaux.
// REQUIRES: m.verrou_monde.
void avance_monde(monde& m) REQUIRES(m.verrou_monde);

// One tick under m.verrou_monde, which is released on every path, noted in
// m.ticks with its duration; while streams read m.flux, the tick's frame
// (a copy of the lists) is published there too, within the duration. Whatever the tick throws is swallowed (the
// world may then be partly advanced, and the tick is not noted); returns
// false in that case. EXCLUDES: m.verrou_monde.
bool avance_monde_protege(monde& m) EXCLUDES(m.verrou_monde);

// The simulation thread's body: for ever, avance_monde_protege, then sleep
// periode_tick (25 ms) without the lock. Never stops, never leaves the lock
// held.
[[noreturn]] void mise_a_jour(monde& m) EXCLUDES(m.verrou_monde);

}  // namespace jeu
