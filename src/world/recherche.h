#pragma once

#include "world/monde.h"

namespace jeu {

// The first ship from the head of m.vaisseaux with this colour, or nullptr.
// REQUIRES: m.verrou_monde; the pointer is valid only while it is held and
// no ship is added or removed.
vaisseau* cherche_vaisseau(monde& m, couleur_t couleur) REQUIRES(m.verrou_monde);

// The ship with this colour and serial, or nullptr. REQUIRES: m.verrou_monde.
vaisseau* cherche_vaisseau(monde& m, const identite& id) REQUIRES(m.verrou_monde);

}  // namespace jeu
