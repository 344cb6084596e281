#pragma once

#include "world/monde.h"

namespace jeu {

enum class action { Tire = 0, Gauche = 1, Droite = 2, Accelere = 3, Decelere = 4, Quitte = 5 };

// Applies `a` to the ship with exactly this colour and serial: Tire puts a
// bullet 12.6 units ahead at the head of m.balles, unless the ship's colour
// already has max_balles_par_vaisseau bullets in flight (then nothing);
// Gauche/Droite turn by pas_rotation; Accelere/Decelere change the speed
// within [vitesse_min, vitesse_max]; Quitte does nothing. No such ship:
// nothing happens, nothing thrown. REQUIRES: m.verrou_monde.
void traite_action_joueur(monde& m, const identite& id, action a) REQUIRES(m.verrou_monde);

}  // namespace jeu
