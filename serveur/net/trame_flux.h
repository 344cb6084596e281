#pragma once

// The spectators' tick stream ("GET FLUX"): the frame the tick publishes,
// and what each stream writes before it.

#include <cstdint>
#include <string>

#include "world/monde.h"

namespace jeu {

// Builds the frame of the tick just done (m.numero_tick) and leaves it in
// m.flux: "PUT VAISSEAUX n" and its lines, "PUT BALLES m" and its lines,
// "FIN TICK <tick>", each line ending in CR LF; the lists' shared blocks are
// taken by reference (the text a "GET VAISSEAUX" now would send). Never
// throws: out of memory, the frame is not published and the streams count
// the tick as lost. REQUIRES: m.verrou_monde.
void publie_trame(monde& m) REQUIRES(m.verrou_monde);

// The line a stream writes before a frame's body: "TICK <tick> <perdus>\r\n".
void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus);

}  // namespace jeu
