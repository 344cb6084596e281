#pragma once

// The tick's side of the spectators' stream: the frame it leaves for them.

#include <cstdint>

#include "world/monde.h"

namespace jeu {

// Publishes the frame of the tick just done (m.numero_tick) in m.flux: a
// copy of the ship and bullet lists, and the events numbered from
// `depuis_evenement` (the end of the previous tick) on. The frame is
// encoded later, outside the world lock, by the streams. Never throws: out
// of memory, the frame is not published and the streams count the tick as
// lost. REQUIRES: m.verrou_monde.
void publie_trame(monde& m, std::uint64_t depuis_evenement) REQUIRES(m.verrou_monde);

}  // namespace jeu
