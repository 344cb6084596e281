#pragma once

#include "world/monde.h"

namespace jeu {

enum class action { Tire = 0, Gauche = 1, Droite = 2, Accelere = 3, Decelere = 4, Quitte = 5 };

// Applies `a` to the first ship of this colour: Tire puts a bullet 12.6 units
// ahead at the head of m.balles, Gauche/Droite turn by pas_rotation,
// Accelere/Decelere change the speed within [vitesse_min, vitesse_max],
// Quitte does nothing. No ship of that colour: nothing happens, nothing
// thrown. REQUIRES: m.verrou_monde.
void traite_action_joueur(monde& m, couleur_t couleur, action a) REQUIRES(m.verrou_monde);

// The same, applied only to the ship with exactly this colour and serial.
void traite_action_joueur(monde& m, const identite& id, action a) REQUIRES(m.verrou_monde);

}  // namespace jeu
