#pragma once

// The spectators' tick stream ("GET FLUX"): the frame the tick publishes,
// its text, and what each stream writes before and within it.

#include <cstdint>
#include <string>

#include "world/monde.h"

namespace jeu {

// Publishes the frame of the tick just done (m.numero_tick) in m.flux: a
// copy of the ship and bullet lists, and the events numbered from
// `depuis_evenement` (the end of the previous tick) on. Never throws: out
// of memory, the frame is not published and the streams count the tick as
// lost. REQUIRES: m.verrou_monde.
void publie_trame(monde& m, std::uint64_t depuis_evenement) REQUIRES(m.verrou_monde);

// Encodes t.corps and t.suite at the first call, once for every stream
// (others calling at the same time wait for it): t.corps is "PUT VAISSEAUX
// n" and the lines a "GET VAISSEAUX" would have sent between the same two
// ticks, then "PUT BALLES m" and its lines likewise; t.suite is the event
// lines (as "GET EVENEMENTS" writes them) and "FIN TICK <tick>". Throws
// std::bad_alloc when memory runs out; the next call tries again. No lock
// needed (not the world's).
void encode(const trame_diffusee& t);

// What a stream writes before t.corps: "TICK <tick> <perdus>\r\n".
void ajoute_ligne_tick(std::string& sortie, std::uint64_t tick, std::uint64_t perdus);
// What it writes between t.corps and t.suite: "PUT EVENEMENTS <n>
// <manques>\r\n", n the frame's events, `manques` those of the ticks this
// stream lost.
void ajoute_entete_evenements(std::string& sortie, const trame_diffusee& t,
                              std::uint64_t manques);

}  // namespace jeu
