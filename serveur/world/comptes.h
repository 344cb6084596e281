#pragma once

// The scores and events of the game: every path that makes a ship arrive,
// fire, be hit or leave reports it here, once. None of these throws: out of
// memory, what they report is counted in part or not at all, and the game
// goes on.

#include "world/monde.h"

namespace jeu {

// A ship of this colour was placed in the arena. REQUIRES: m.verrou_monde.
void compte_arrivee(monde& m, couleur_t c) REQUIRES(m.verrou_monde);

// A ship of this colour fired a bullet. REQUIRES: m.verrou_monde.
void compte_tir(monde& m, couleur_t c) REQUIRES(m.verrou_monde);

// A bullet of `tireur` hit a ship of `cible`, leaving it `vie` life points;
// at 0 or less it is destroyed, and its departure is reported too. Inline:
// the tick calls it for every hit. REQUIRES: m.verrou_monde.
inline void compte_touche(monde& m, couleur_t tireur, couleur_t cible, int vie)
    REQUIRES(m.verrou_monde) {
  const bool detruit = vie <= 0;
  try {
    m.scores.touche(tireur, cible, detruit, m.numero_tick);
  } catch (...) {
  }
  m.evenements.ajoute({.tick = m.numero_tick,
                       .sorte = sorte_evenement::touche,
                       .vie = detruit ? 0 : vie,
                       .a = tireur,
                       .b = cible});
  if (!detruit) return;
  m.evenements.ajoute({.tick = m.numero_tick, .sorte = sorte_evenement::detruit, .a = tireur, .b = cible});
  m.evenements.ajoute(
      {.tick = m.numero_tick, .sorte = sorte_evenement::part, .raison = raison_depart::detruit, .a = cible});
}

// A ship of this colour left the arena otherwise (its player quit or its
// connection ended). REQUIRES: m.verrou_monde.
void compte_depart(monde& m, couleur_t c, raison_depart r) REQUIRES(m.verrou_monde);

}  // namespace jeu
