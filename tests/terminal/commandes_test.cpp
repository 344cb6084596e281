#include "terminal/commandes.h"

#include <curses.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal/vitesse.h"

namespace jeu::terminal {
namespace {

using jeu_client::requete;

TEST(Commandes, KeysToOrders) {
  const struct {
    int touche;
    ordre attendu;
  } cas[] = {
      {KEY_LEFT, {commande::action, requete::droite}},  // counter-clockwise on a y-down screen
      {KEY_RIGHT, {commande::action, requete::gauche}},
      {KEY_UP, {commande::action, requete::accelere}},
      {KEY_DOWN, {commande::action, requete::decelere}},
      {' ', {commande::action, requete::tire}},
      {'q', {commande::quitte}},
      {'Q', {commande::quitte}},
      {'r', {commande::rejoint}},
      {'s', {commande::classement}},
      {'S', {commande::classement}},
      {'x', {}},
      {KEY_RESIZE, {}},
      {'\n', {}},
  };
  for (const auto& c : cas) EXPECT_EQ(ordre_de(c.touche), c.attendu) << c.touche;
}

TEST(Commandes, ReplayKeys) {
  using c = commande_relecture;
  const struct {
    int touche;
    commande_relecture attendu;
  } cas[] = {
      {' ', c::pause},        {'+', c::plus_vite},  {'=', c::plus_vite}, {KEY_UP, c::plus_vite},
      {'-', c::moins_vite},   {KEY_DOWN, c::moins_vite}, {KEY_LEFT, c::recule},
      {KEY_RIGHT, c::avance}, {'q', c::quitte},     {'Q', c::quitte},    {'s', c::aucune},
      {KEY_RESIZE, c::aucune},
  };
  for (const auto& k : cas) EXPECT_EQ(ordre_relecture(k.touche), k.attendu) << k.touche;
}

TEST(Commandes, SpeedFollowsTheActionsWithinTheServersBounds) {
  const auto apres = [](std::vector<std::pair<requete, int>> suite) {
    suivi_vitesse v;
    for (const auto& [action, fois] : suite) {
      for (int i = 0; i < fois; ++i) v.applique(action);
    }
    return v.valeur();
  };
  const struct {
    std::vector<std::pair<requete, int>> suite;
    double attendu;
  } cas[] = {
      {{}, 0.0},
      {{{requete::accelere, 1}}, 0.1},
      {{{requete::accelere, 10}}, 1.0},
      {{{requete::accelere, 40}}, 3.0},  // capped
      {{{requete::decelere, 5}}, -0.5},
      {{{requete::decelere, 40}}, -2.0},  // capped backwards
      {{{requete::accelere, 40}, {requete::decelere, 1}}, 2.9},
      {{{requete::decelere, 40}, {requete::accelere, 25}}, 0.5},
      {{{requete::accelere, 3}, {requete::gauche, 4}, {requete::droite, 2}, {requete::tire, 9}}, 0.3},
  };
  for (const auto& c : cas) EXPECT_NEAR(apres(c.suite), c.attendu, 1e-9);

  suivi_vitesse v;
  v.applique(requete::accelere);
  v.remet_a_zero();
  EXPECT_EQ(v.valeur(), 0.0);
}

}  // namespace
}  // namespace jeu::terminal
