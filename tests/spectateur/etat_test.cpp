// What the page is sent: colours, the JSON of each event, the event framing.
#include "spectateur/etat.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace jeu::spectateur {
namespace {

using json = nlohmann::json;

TEST(CouleurCss, LowTwentyFourBitsAsRrggbb) {
  const struct {
    jeu_client::couleur_t couleur;
    const char* attendu;
  } cas[] = {
      {0, "#000000"},
      {16711680, "#ff0000"},
      {0x00ff7f, "#00ff7f"},
      {0x123456789abcLL, "#789abc"},  // beyond 24 bits: the low ones
      {-1, "#ffffff"},                // two's complement
      {-16711936, "#00ff00"},         // -0xff0100 = ...ff00ff00
      {INT64_MIN, "#000000"},
  };
  for (const auto& c : cas) EXPECT_EQ(couleur_css(c.couleur), c.attendu) << c.couleur;
}

TEST(JsonEvenements, FieldsAndOrderAsThePageReadsThem) {
  plateau p;
  p.taille = {990, 990};
  p.rayon_vaisseau = 9;
  p.rayon_balle = 4;
  p.max_pt_vie = 5;
  p.cubes = {{352, 88, 374, 110}, {0, 968, 22, 990}};

  image i;
  i.numero = 7;
  i.vaisseaux = {{512, 301, 1.57, 5, 16711680}, {87, 640, -0.45, 1, 9007199254740993}};
  i.balles = {{524, 313, 16711680}};
  i.stats.ticks_par_seconde = 39.5;
  i.stats.duree_tick_us = 120;
  i.stats.p99_tick_us = 310;
  i.stats.joueurs = 2;
  i.stats.spectateurs = 1;
  i.stats.vaisseaux = 2;
  i.stats.balles = 1;
  i.stats.requetes_par_seconde = 80;

  const struct {
    std::string texte;
    json attendu;
  } cas[] = {
      {json_plateau(p), {{"largeur", 990}, {"hauteur", 990}, {"rayon_vaisseau", 9},
                         {"rayon_balle", 4}, {"max_pt_vie", 5},
                         {"cubes", {{352, 88, 374, 110}, {0, 968, 22, 990}}}}},
      {json_plateau({}), {{"largeur", 0}, {"hauteur", 0}, {"rayon_vaisseau", 0},
                          {"rayon_balle", 0}, {"max_pt_vie", 0}, {"cubes", json::array()}}},
      // The colour number whole, as a string: 2^53 + 1 as a double is 2^53.
      {json_image(i),
       {{"n", 7},
        {"tick", 0},
        {"perdus", 0},
        {"vaisseaux", {{512, 301, 1.57, 5, "#ff0000", "16711680"},
                       {87, 640, -0.45, 1, "#000001", "9007199254740993"}}},
        {"balles", {{524, 313, "#ff0000"}}},
        {"stats", {{"ticks_s", 39.5}, {"tick_us", 120}, {"tick_p99_us", 310},
                   {"joueurs", 2}, {"spectateurs", 1}, {"vaisseaux", 2}, {"balles", 1},
                   {"requetes_s", 80}}}}},
      {json_statut(true, "watching 127.0.0.1:12345"),
       {{"connecte", true}, {"texte", "watching 127.0.0.1:12345"}}},
      // Whatever a server sent, quotes, line ends and bytes that are not UTF-8.
      {json_statut(false, "unexpected \"PUT\r\nX\xff\""),
       {{"connecte", false}, {"texte", "unexpected \"PUT\r\nX\xef\xbf\xbd\""}}},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(c.texte.find('\n'), std::string::npos) << c.texte;
    EXPECT_EQ(json::parse(c.texte), c.attendu) << c.texte;
  }
  // A replay's frame says where the replay stands.
  image r;
  r.tick = 250;
  r.relecture = etat_relecture{11, 400, true, 0.25};
  const json j = json::parse(json_image(r));
  EXPECT_EQ(j["tick"], 250);
  EXPECT_EQ(j["relecture"],
            json({{"premier", 11}, {"dernier", 400}, {"pause", true}, {"vitesse", 0.25}}));
  EXPECT_FALSE(json::parse(json_image(i)).contains("relecture"));
  // Coordinates as integers, not "512.0".
  EXPECT_NE(json_image(i).find("[512,301,1.57,"), std::string::npos) << json_image(i);
}

TEST(Evenement, OneNamedEventPerBlock) {
  EXPECT_EQ(evenement("image", "{\"n\":1}"), "event: image\ndata: {\"n\":1}\n\n");
}

TEST(JsonEvenements, ScoresAndKillFeed) {
  jeu_client::score rouge;
  rouge.couleur = 16711680;
  rouge.victoires = 3;
  rouge.morts = 1;
  rouge.touches_donnees = 9;
  rouge.tirs = 120;
  rouge.vivant = true;
  jeu_client::score bleu;
  bleu.couleur = 9007199254740993;
  bleu.victoires = 1;
  bleu.morts = 3;
  bleu.touches_donnees = 4;
  bleu.touches_recues = 9;  // not sent: the page shows kills, deaths and accuracy
  bleu.tirs = 80;
  std::vector<jeu_client::score> beaucoup(lignes_scores_max + 5, bleu);
  beaucoup.front() = rouge;

  fil_victimes f(5);
  jeu_client::evenement e;
  e.quoi = jeu_client::evenement::sorte::detruit;
  e.tick = 1200;
  e.tireur = 16711680;
  e.couleur = 255;
  f.ajoute({&e, 1}, 2);

  const struct {
    std::string texte;
    json attendu;
  } cas[] = {
      {json_scores(std::vector{rouge, bleu}, true),
       {{"servis", true},
        {"total", 2},
        {"lignes", {{"#ff0000", "16711680", 3, 1, 9, 120, true},
                    {"#000001", "9007199254740993", 1, 3, 4, 80, false}}}}},
      {json_scores({}, false), {{"servis", false}, {"total", 0}, {"lignes", json::array()}}},
      {json_fil(fil_victimes(3)), {{"manques", 0}, {"victimes", json::array()}}},
      {json_fil(f),
       {{"manques", 2}, {"victimes", {{1200, "#ff0000", "16711680", "#0000ff", "255"}}}}},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(c.texte.find('\n'), std::string::npos) << c.texte;
    EXPECT_EQ(json::parse(c.texte), c.attendu) << c.texte;
  }
  // A long table: the first rows only, the total all of them.
  const json j = json::parse(json_scores(beaucoup, true));
  EXPECT_EQ(j["total"], lignes_scores_max + 5);
  ASSERT_EQ(j["lignes"].size(), lignes_scores_max);
  EXPECT_EQ(j["lignes"][0][0], "#ff0000");
}

}  // namespace
}  // namespace jeu::spectateur
