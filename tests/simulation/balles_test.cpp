#include "simulation/balles.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "support/monde_essai.h"
#include "simulation/actions.h"

namespace jeu {
namespace {

using essai::navire;
constexpr double pi = std::numbers::pi;

TEST(MetAJour, MovesAndDropsBulletsLeavingTheArenaKeepingOrder) {
  const std::deque<balle> avant{
      {100.0, 200.0, 0.0, 1},       // flies on: (103.5, 200)
      {982.5, 500.0, 0.0, 2},       // x = 986.0, 986 + 4 reaches 990: out
      {982.4, 500.0, 0.0, 3},       // x = 985.9: in
      {0.5, 500.0, 0.0, 4},         // x = 4.0, 4 - 4 is not below 0: in
      {0.4, 500.0, 0.0, 5},         // x = 3.9: out
      {500.0, 982.5, pi / 2, 6},    // y = 986.0: out
      {500.0, 0.4, pi / 2, 7},      // y = 3.9: out
      {500.0, 0.5, pi / 2, 8},      // y = 4.0: in
      {500.0, 8.0, -pi / 2, 9},     // y = 4.5: in
      {500.0, 7.0, -pi / 2, 10},    // y = 3.5: out
  };
  const std::deque<balle> apres = met_a_jour(avant, {});
  std::vector<couleur_t> restent;
  for (const balle& b : apres) restent.push_back(b.couleur);
  EXPECT_EQ(restent, (std::vector<couleur_t>{1, 3, 4, 8, 9}));
  EXPECT_EQ(apres[0].x, 103.5);
  EXPECT_EQ(apres[0].y, 200.0);
  EXPECT_EQ(apres[2].x, 4.0);
  EXPECT_EQ(apres[3].y, 4.0);
}

TEST(EstHorsJeu, NearestPointOfTheBulletToTheCubeDecides) {
  const std::vector<cube> coin{{0.0, 0.0, 22.0, 22.0}};  // reference point (11.5, 11.5)
  const auto dedans = [&coin](double x, double y) { return est_hors_jeu({x, y, 0.0, 0}, coin); };
  EXPECT_TRUE(dedans(26.0, 11.5));
  EXPECT_FALSE(dedans(26.5, 11.5));
  EXPECT_TRUE(dedans(-4.0, 11.5));
  EXPECT_FALSE(dedans(-4.5, 11.5));
  EXPECT_TRUE(dedans(11.5, 26.0));   // straight below the reference point
  EXPECT_FALSE(dedans(11.5, 26.5));
  EXPECT_TRUE(dedans(11.5, -3.0));
  EXPECT_TRUE(dedans(24.0, 24.0));   // nearest point (21.17, 21.17)
  EXPECT_FALSE(dedans(26.0, 26.0));  // nearest point (23.17, 23.17)
  EXPECT_TRUE(dedans(11.5, 11.5));
  EXPECT_FALSE(est_hors_jeu({26.0, 11.5, 0.0, 0}, {}));

  // met_a_jour asks every cube of the list, not only the first.
  const std::vector<cube> deux{{440.0, 440.0, 462.0, 462.0}, {0.0, 0.0, 22.0, 22.0}};
  EXPECT_TRUE(met_a_jour({{29.5, 11.5, pi, 0}}, deux).empty());
  EXPECT_EQ(met_a_jour({{30.0, 11.5, pi, 0}}, deux).size(), 1u);
}

TEST(MiseAJourBalles, HitNeedsLessThanThirteenAndDamagesOnlyTheFirstShip) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_back(navire(500, 500, 1));
  m.balles.push_back({483.5, 500.0, 0.0, 2});  // ends exactly 13.0 away
  mise_a_jour_balles(m);
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 5);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.balles[0].x, 487.0);

  m.balles = {{483.51, 500.0, 0.0, 1}};  // 12.99 away; its own shooter's colour
  m.vaisseaux.push_back(navire(500, 490, 3));
  mise_a_jour_balles(m);
  EXPECT_TRUE(m.balles.empty());
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 4);
  EXPECT_EQ(m.vaisseaux[1].pt_vie, 5) << "one bullet damages one ship";
}

TEST(MiseAJourBalles, ShipAtOneLifeGoesAndLaterBulletsFlyOn) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_back(navire(500, 500, 1, 0.0, 0.0, 1));
  m.vaisseaux.push_back(navire(500, 517, 2));
  m.balles = {
      {486.5, 500.0, 0.0, 9},  // 10 from ship 1: destroys it
      {496.5, 508.0, 0.0, 9},  // 8 from ship 1 (gone), 9 from ship 2
      {501.5, 495.0, 0.0, 9},  // near ship 1 only: flies on
  };
  mise_a_jour_balles(m);
  ASSERT_EQ(m.vaisseaux.size(), 1u);
  EXPECT_EQ(m.vaisseaux[0].couleur, 2);
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 4);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.balles[0].x, 505.0);
}

TEST(MiseAJourBalles, FiveShotsDestroyANewShipAndNeverTheStandingShooter) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_back(navire(500, 500, 1));
  m.vaisseaux.push_back(navire(470, 500, 2));
  for (int coup = 1; coup <= 6; ++coup) {
    traite_action_joueur(m, 2, action::Tire);
    mise_a_jour_balles(m);  // 16.1 from the shooter, 13.9 from the target
    EXPECT_EQ(m.balles.size(), 1u);
    mise_a_jour_balles(m);
    EXPECT_EQ(m.vaisseaux.back().pt_vie, 5);
    if (coup < 5) {
      EXPECT_TRUE(m.balles.empty());
      EXPECT_EQ(m.vaisseaux.front().pt_vie, 5 - coup);
    }
  }
  // The fifth hit removed the target; the sixth bullet flies through.
  ASSERT_EQ(m.vaisseaux.size(), 1u);
  EXPECT_EQ(m.vaisseaux[0].couleur, 2);
  EXPECT_EQ(m.balles.size(), 1u);
}

TEST(DetruitVaisseau, RemovesOnlyThatShipAndKeepsOrder) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  for (couleur_t c : {1, 2, 3, 4}) m.vaisseaux.push_back(navire(100.0 * c, 100, c, 0, 0, 5, c));
  m.balles = {{50.0, 50.0, 0.0, 2}};
  detruit_vaisseau(m, 99);
  detruit_vaisseau(m, identite{3, 7});  // colour 3 now has another serial
  ASSERT_EQ(m.vaisseaux.size(), 4u);
  detruit_vaisseau(m, 2);
  detruit_vaisseau(m, identite{4, 4});
  ASSERT_EQ(m.vaisseaux.size(), 2u);
  EXPECT_EQ(m.vaisseaux[0].couleur, 1);
  EXPECT_EQ(m.vaisseaux[1].couleur, 3);
  EXPECT_EQ(m.balles.size(), 1u) << "a removed ship's bullets fly on";
  EXPECT_EQ(destroy_vaiss({navire(1, 1, 5), navire(2, 2, 6)}, 6).size(), 1u);
}

}  // namespace
}  // namespace jeu
