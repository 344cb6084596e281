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

void compte_touche(monde& m, couleur_t tireur, couleur_t cible, int vie) {
  const bool detruit = vie <= 0;
  try {
    m.scores.touche(tireur, cible, detruit);
  } catch (...) {
  }
  m.evenements.ajoute({.tick = m.numero_tick,
                       .sorte = sorte_evenement::touche,
                       .vie = detruit ? 0 : vie,
                       .a = tireur,
                       .b = cible});
  if (!detruit) return;
  m.evenements.ajoute(
      {.tick = m.numero_tick, .sorte = sorte_evenement::detruit, .a = tireur, .b = cible});
  compte_depart(m, cible, raison_depart::detruit);
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
