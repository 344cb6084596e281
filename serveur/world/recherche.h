#pragma once

#include <deque>

#include "world/monde.h"

namespace jeu {

// Where the ship with this colour and serial stands in m.vaisseaux, or
// m.vaisseaux.end(); a binary search on the serial (the list is in descending
// serial order). REQUIRES: m.verrou_monde.
std::deque<vaisseau>::iterator position_vaisseau(monde& m, const identite& id)
    REQUIRES(m.verrou_monde);

// The same ship as a pointer, or nullptr. REQUIRES: m.verrou_monde; the
// pointer is valid only while it is held and no ship is added or removed.
vaisseau* cherche_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

// Whether some ship has this colour. REQUIRES: m.verrou_monde.
bool couleur_prise(const monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

}  // namespace jeu
