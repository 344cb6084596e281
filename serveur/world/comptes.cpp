#include "world/comptes.h"

namespace jeu {

void compte_arrivee(monde& m, couleur_t c) {
  try {
    m.scores.arrivee(c, m.numero_tick);
  } catch (...) {
  }
  m.evenements.ajoute({.tick = m.numero_tick, .sorte = sorte_evenement::arrive, .a = c});
}

void compte_tir(monde& m, couleur_t c) {
  try {
    m.scores.tir(c);
  } catch (...) {
  }
}

void compte_depart(monde& m, couleur_t c, raison_depart r) {
  try {
    m.scores.depart(c, m.numero_tick);
  } catch (...) {
  }
  m.evenements.ajoute(
      {.tick = m.numero_tick, .sorte = sorte_evenement::part, .raison = r, .a = c});
}

}  // namespace jeu
