#pragma once

// The spectators' tick stream ("GET FLUX"): the text of the frame the tick
// publishes (world/publication.h), and what each stream writes before and
// within it.

#include <cstdint>
#include <string>

#include "world/monde.h"

namespace jeu {

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
