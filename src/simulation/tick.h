#pragma once

#include "world/monde.h"

namespace jeu {

// The simulation thread's body: for ever, advance the world by one tick under
// m.verrou_monde, release it, sleep periode_tick. Never stops, never leaves
// the lock held.
[[noreturn]] void mise_a_jour(monde& m) EXCLUDES(m.verrou_monde);

}  // namespace jeu
