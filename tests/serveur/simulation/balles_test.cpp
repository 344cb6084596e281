#include "simulation/balles.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "support/monde_essai.h"
#include "geometry/collisions.h"
#include "simulation/actions.h"

namespace jeu {
namespace {

using essai::navire;
using essai::pose_cube;
constexpr double pi = std::numbers::pi;

TEST(MiseAJourBalles, MovesAndDropsBulletsLeavingTheArenaKeepingOrder) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  essai::lance(m, {
                      {100.0, 200.0, 0.0, 1},     // flies on: (103.5, 200)
                      {982.5, 500.0, 0.0, 2},     // x = 986.0, 986 + 4 reaches 990: out
                      {982.4, 500.0, 0.0, 3},     // x = 985.9: in
                      {0.5, 500.0, 0.0, 4},       // x = 4.0, 4 - 4 is not below 0: in
                      {0.4, 500.0, 0.0, 5},       // x = 3.9: out
                      {500.0, 982.5, pi / 2, 6},  // y = 986.0: out
                      {500.0, 0.4, pi / 2, 7},    // y = 3.9: out
                      {500.0, 0.5, pi / 2, 8},    // y = 4.0: in
                      {500.0, 8.0, -pi / 2, 9},   // y = 4.5: in
                      {500.0, 7.0, -pi / 2, 10},  // y = 3.5: out
                  });
  mise_a_jour_balles(m);
  std::vector<couleur_t> restent;
  for (const balle& b : m.balles) restent.push_back(b.couleur);
  EXPECT_EQ(restent, (std::vector<couleur_t>{1, 3, 4, 8, 9}));
  EXPECT_EQ(m.balles[0].x, 103.5);
  EXPECT_EQ(m.balles[0].y, 200.0);
  EXPECT_EQ(m.balles[2].x, 4.0);
  EXPECT_EQ(m.balles[3].y, 4.0);
  EXPECT_EQ(m.balles_par_couleur.size(), 5u) << "the dropped bullets are uncounted";
}

// A bullet against one cube, by the exact test and through the grid lookup:
// the nearest point of the bullet to the cube decides, whatever cell the
// bullet's centre is in, points exactly on a cell boundary included (bounds
// are inclusive, so such a point belongs to both cells).
TEST(ToucheCube, NearestPointOfTheBulletDecidesAlsoThroughTheGrid) {
  const struct {
    int i, j;
    double x, y;
    bool touche;
  } cas[] = {
      // Cube [0, 22] x [0, 22], reference point (11.5, 11.5).
      {0, 0, 26.0, 11.5, true}, {0, 0, 26.5, 11.5, false}, {0, 0, -4.0, 11.5, true},
      {0, 0, -4.5, 11.5, false}, {0, 0, 11.5, 26.0, true},  // below the reference point
      {0, 0, 11.5, 26.5, false}, {0, 0, 11.5, -3.0, true},
      {0, 0, 24.0, 24.0, true},   // nearest point (21.17, 21.17)
      {0, 0, 26.0, 26.0, false},  // nearest point (23.17, 23.17)
      {0, 0, 11.5, 11.5, true},
      // Cube [220, 242] x [220, 242], reference point (231.5, 231.5).
      {10, 10, 246.0, 231.5, true},  // nearest point on the x2 boundary
      {10, 10, 246.01, 231.5, false},
      {10, 10, 216.0, 231.5, true},  // on the x1 boundary, centre in cell 9
      {10, 10, 215.99, 231.5, false}, {10, 10, 231.5, 246.0, true}, {10, 10, 231.5, 216.0, true},
      {10, 10, 231.5, 215.99, false},
      {10, 10, 244.0, 244.0, true},  // centre in cell (11, 11)
      {10, 10, 246.0, 246.0, false}, {10, 10, 500.0, 500.0, false},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(testing::Message() << "cube in cell (" << c.i << ", " << c.j << "), bullet at ("
                                    << c.x << ", " << c.y << ")");
    monde m(1);
    pose_cube(m, c.i, c.j);
    EXPECT_EQ(touche_cube({c.x, c.y, 0.0, 0}, m.cubes.front()), c.touche);
    EXPECT_EQ(est_hors_jeu(m, {c.x, c.y, 0.0, 0}), c.touche);
  }
  // One cube among several, far from the first cell looked at.
  monde m(1);
  pose_cube(m, 10, 10);
  pose_cube(m, 0, 0);
  EXPECT_TRUE(est_hors_jeu(m, {26.0, 11.5, 0.0, 0}));
  EXPECT_TRUE(est_hors_jeu(m, {-4.0, 11.5, 0.0, 0}));
}

TEST(MiseAJourBalles, HitNeedsLessThanThirteenAndDamagesOnlyTheFirstShip) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  place_vaisseau(m, navire(500, 500, 1));
  essai::lance(m, {{483.5, 500.0, 0.0, 2}});  // ends exactly 13.0 away
  mise_a_jour_balles(m);
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 5);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.balles[0].x, 487.0);

  vide_balles(m);
  essai::lance(m, {{483.51, 500.0, 0.0, 1}});  // 12.99 away; its own shooter's colour
  // Ship 3 is nearer the bullet, but ship 1 comes first in the list.
  vide_vaisseaux(m);
  essai::pose(m, {navire(500, 500, 1, 0.0, 0.0, 4), navire(490, 505, 3)});
  mise_a_jour_balles(m);
  EXPECT_TRUE(m.balles.empty());
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 3);
  EXPECT_EQ(m.vaisseaux[1].pt_vie, 5) << "one bullet damages one ship";
}

TEST(MiseAJourBalles, ShipAtOneLifeGoesAndLaterBulletsFlyOn) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  essai::pose(m, {navire(500, 500, 1, 0.0, 0.0, 1), navire(500, 517, 2)});
  essai::lance(m, {
                      {486.5, 500.0, 0.0, 9},  // 10 from ship 1: destroys it
                      {496.5, 508.0, 0.0, 9},  // 8 from ship 1 (gone), 9 from ship 2
                      {501.5, 495.0, 0.0, 9},  // near ship 1 only: flies on
                  });
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
  essai::pose(m, {navire(500, 500, 1), navire(470, 500, 2)});
  const identite tireur = essai::id_de(m.vaisseaux[1]);
  for (int coup = 1; coup <= 6; ++coup) {
    traite_action_joueur(m, tireur, action::Tire);
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
  essai::pose(m, {navire(100, 100, 1), navire(200, 100, 2), navire(300, 100, 3),
                  navire(400, 100, 4)});  // serials 4, 3, 2, 1
  essai::lance(m, {{50.0, 50.0, 0.0, 2}});
  detruit_vaisseau(m, identite{99, 1}, raison_depart::quitte);
  detruit_vaisseau(m, identite{3, 7}, raison_depart::quitte);  // colour 3 now has another serial
  detruit_vaisseau(m, identite{3, 1}, raison_depart::quitte);  // serial 1 belongs to colour 4
  ASSERT_EQ(m.vaisseaux.size(), 4u);
  detruit_vaisseau(m, identite{2, 3}, raison_depart::quitte);
  detruit_vaisseau(m, identite{4, 1}, raison_depart::quitte);
  ASSERT_EQ(m.vaisseaux.size(), 2u);
  EXPECT_EQ(m.vaisseaux[0].couleur, 1);
  EXPECT_EQ(m.vaisseaux[1].couleur, 3);
  EXPECT_EQ(m.balles.size(), 1u) << "a removed ship's bullets fly on";
  EXPECT_EQ(m.index.size(), 2u);
  EXPECT_FALSE(inter_vaisseau(m, 200, 100, 0)) << "removed from the index too";
  EXPECT_TRUE(inter_vaisseau(m, 300, 100, 0));
}

}  // namespace
}  // namespace jeu
