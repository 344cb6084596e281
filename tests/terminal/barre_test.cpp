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

  // A crowded arena: long numbers everywhere.
  etat_barre foule = joueur;
  foule.vitesse = -2;
  foule.vaisseaux = 1500;
  foule.balles = 38000;
  foule.images_par_seconde = 1578;
  etat_barre foule_vue = spectateur;
  foule_vue.vaisseaux = 1500;
  foule_vue.balles = 38000;
  foule_vue.stats->joueurs = 1500;
  foule_vue.stats->spectateurs = 120;

  etat_barre relecture;
  relecture.vaisseaux = 30;
  relecture.balles = 120;
  relecture.images_par_seconde = 40;
  relecture.relecture = etat_relecture{250, 929, false, 0.25};
  etat_barre en_pause = relecture;
  en_pause.relecture->pause = true;

  const struct {
    const etat_barre& etat;
    std::string large;  // in 200 columns
    std::string en_80;  // in the classic 80
  } cas[] = {
      {joueur, "life 4/5  speed 0.3  ships 3  bullets 7  30 fps  arrows: move  space: fire  q: quit",
       "life 4/5 speed 0.3 ships 3 bullets 7 30 fps  arrows: move  space: fire  q: quit"},
      {repos, "life 4/5  speed 0.0  ships 3  bullets 7  30 fps  arrows: move  space: fire  q: quit",
       "life 4/5 speed 0.0 ships 3 bullets 7 30 fps  arrows: move  space: fire  q: quit"},
      {detruit, "DESTROYED  ships 3  bullets 7  30 fps  r: rejoin  q: quit",
       "DESTROYED  ships 3  bullets 7  30 fps  r: rejoin  q: quit"},
      {refus, "rejoin failed: colour taken  DESTROYED  ships 3  bullets 7  30 fps  r: rejoin  q: quit",
       "rejoin failed: colour taken DESTROYED ships 3 bullets 7  r: rejoin  q: quit"},
      {spectateur,
       "watching  ships 12  bullets 40  ticks/s 40.0  players 11  spectators 2  30 fps  s: scores  "
       "q: quit",
       "watching ships 12 bullets 40 ticks/s 40.0 players 11  s: scores  q: quit"},
      {foule,
       "life 4/5  speed -2.0  ships 1500  bullets 38000  1578 fps  arrows: move  space: fire  q: quit",
       "life 4/5 speed -2.0 ships 1500 bullets 38000  arrows: move  space: fire  q: quit"},
      {foule_vue,
       "watching  ships 1500  bullets 38000  ticks/s 40.0  players 1500  spectators 120  30 fps  "
       "s: scores  q: quit",
       "watching ships 1500 bullets 38000 ticks/s 40.0 players 1500  s: scores  q: quit"},
      {relecture,
       "replay  tick 250/929  0.25x  ships 30  bullets 120  40 fps  space: pause  -/+: speed  "
       "arrows: seek  q: quit",
       "replay tick 250/929 0.25x  space: pause  -/+: speed  arrows: seek  q: quit"},
      {en_pause,
       "replay  tick 250/929  paused  ships 30  bullets 120  40 fps  space: play  -/+: speed  "
       "arrows: seek  q: quit",
       "replay tick 250/929 paused  space: play  -/+: speed  arrows: seek  q: quit"},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(texte_barre(c.etat, 200), c.large);
    const std::string en_80 = texte_barre(c.etat, 80);
    EXPECT_EQ(en_80, c.en_80);
    EXPECT_LE(en_80.size(), 80u);
    EXPECT_EQ(texte_barre(c.etat, 0), "");
  }
}

TEST(Barre, KeysStayInViewWhateverTheWidth) {
  const std::vector<std::string> infos{"alpha", "beta", "gamma"};
  const struct {
    int largeur;
    std::string attendu;
  } cas[] = {
      {40, "alpha  beta  gamma  q: quit"},   // everything, wide
      {27, "alpha  beta  gamma  q: quit"},   // exactly
      {26, "alpha beta gamma  q: quit"},     // one space between the infos
      {24, "alpha beta  q: quit"},           // the last info dropped
      {14, "alpha  q: quit"},
      {13, "q: quit"},
      {12, "q: quit"},                       // the keys alone
      {7, "q: quit"},
      {6, "alpha "},                         // not even the keys: cut
      {-3, ""},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(compose_barre(infos, "q: quit", c.largeur), c.attendu) << c.largeur;
  }
  EXPECT_EQ(compose_barre({}, "q: quit", 80), "q: quit");
}

}  // namespace
}  // namespace jeu::terminal
