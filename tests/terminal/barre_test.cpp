#include "terminal/barre.h"

#include <gtest/gtest.h>

#include <string>

namespace jeu::terminal {
namespace {

TEST(Barre, WhatEachSituationShows) {
  etat_barre joueur;
  joueur.pt_vie = 4;
  joueur.max_pt_vie = 5;
  joueur.vitesse = 0.1 + 0.1 + 0.1;
  joueur.vaisseaux = 3;
  joueur.balles = 7;
  joueur.images_par_seconde = 29.7;

  etat_barre repos = joueur;
  repos.vitesse = 0.1 + 0.1 + 0.1 - 0.1 - 0.1 - 0.1;  // a crumb below zero

  etat_barre detruit = joueur;
  detruit.detruit = true;

  etat_barre refus = detruit;
  refus.message = "rejoin failed: colour taken";

  etat_barre spectateur;
  spectateur.spectateur = true;
  spectateur.vaisseaux = 12;
  spectateur.balles = 40;
  spectateur.stats.emplace();
  spectateur.stats->ticks_par_seconde = 39.96;
  spectateur.stats->joueurs = 11;
  spectateur.stats->spectateurs = 2;
  spectateur.images_par_seconde = 30;

  const struct {
    const etat_barre& etat;
    std::string attendu;
  } cas[] = {
      {joueur, "life 4/5  speed 0.3  ships 3  bullets 7  30 fps  arrows: turn/speed  space: fire  q: quit"},
      {repos, "life 4/5  speed 0.0  ships 3  bullets 7  30 fps  arrows: turn/speed  space: fire  q: quit"},
      {detruit, "DESTROYED  ships 3  bullets 7  30 fps  r: rejoin  q: quit"},
      {refus, "rejoin failed: colour taken  DESTROYED  ships 3  bullets 7  30 fps  r: rejoin  q: quit"},
      {spectateur, "watching  ships 12  bullets 40  ticks/s 40.0  players 11  spectators 2  30 fps  q: quit"},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(texte_barre(c.etat, 200), c.attendu);
    EXPECT_EQ(texte_barre(c.etat, 20), c.attendu.substr(0, 20));
    EXPECT_EQ(texte_barre(c.etat, 0), "");
  }
}

}  // namespace
}  // namespace jeu::terminal
