#pragma once

// The spectators' tick stream ("GET FLUX"): the frame the tick publishes,
// its text, and what each stream writes before it.

#include <cstdint>
#include <string>

#include "world/monde.h"

namespace jeu {

// Publishes the frame of the tick just done (m.numero_tick) in m.flux: a
// copy of the ship and bullet lists. Never throws: out of memory, the frame
// is not published and the streams count the tick as lost.
// REQUIRES: m.verrou_monde.
void publie_trame(monde& m) REQUIRES(m.verrou_monde);

// The frame's text after its "TICK" line: "PUT VAISSEAUX n" and the lines a
// "GET VAISSEAUX" would have sent between the same two ticks, "PUT BALLES
// m" and its lines likewise, "FIN TICK <tick>". Encoded at the first call,
// once for every stream (others calling at the same time wait for it);
// throws std::bad_alloc when memory runs out, and the next call tries
// again. No lock needed (not the world's).
const texte_partage::bloc& corps_de(const trame_diffusee& t);

// The line a stream writes before a frame's body: "TICK <tick> <perdus>\r\n".
void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus);

}  // namespace jeu
