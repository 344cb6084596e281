#include "simulation/mouvement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/monde_essai.h"

namespace jeu {
namespace {

using essai::navire;

TEST(MiseAJourVaisseaux, FreeShipsGoStraightByTheirSignedSpeed) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  essai::pose(m, {navire(100, 100, 1, 0.7, 0.0), navire(300, 300, 2, 1.0, 2.5),
                  navire(500, 500, 3, 0.3, -1.5)});
  mise_a_jour_vaisseaux(m);
  EXPECT_EQ(m.vaisseaux[0].x, 100.0);
  EXPECT_EQ(m.vaisseaux[0].y, 100.0);
  EXPECT_EQ(m.vaisseaux[1].x, 300 + std::cos(1.0) * 2.5);
  EXPECT_EQ(m.vaisseaux[1].y, 300 + std::sin(1.0) * 2.5);
  EXPECT_EQ(m.vaisseaux[2].x, 500 + std::cos(0.3) * -1.5);
  EXPECT_EQ(m.vaisseaux[2].y, 500 + std::sin(0.3) * -1.5);
  for (const vaisseau& s : m.vaisseaux) EXPECT_EQ(s.pt_vie, 5);
  EXPECT_EQ(m.vaisseaux[2].vitesse, -1.5);
}

TEST(MiseAJourVaisseaux, LaterShipsSeeTheNewPositionsOfEarlierOnes) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  essai::pose(m, {navire(523, 500, 1, std::numbers::pi, 3.0), navire(500, 500, 2, 0.0, 3.0)});
  mise_a_jour_vaisseaux(m);
  EXPECT_DOUBLE_EQ(m.vaisseaux[0].x, 520.0);
  // (503, 500) was free before the first ship moved, not after; at i = 3
  // every place is still too close, so the first free i = 2 place wins.
  EXPECT_EQ(m.vaisseaux[1].x, 502.0);
  EXPECT_EQ(m.vaisseaux[1].y, 497.0);
}

TEST(MiseAJourVaisseaux, BlockedAtFullSpeedTakesFirstBestOffset) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  // Straight ahead (503, 500) is 17.26 from the other ship; (503, 497) is
  // 18.03 away, the only free place with i = 3.
  essai::pose(m, {navire(500, 500, 1, 0.0, 3.0), navire(520, 503, 2)});
  mise_a_jour_vaisseaux(m);
  EXPECT_EQ(m.vaisseaux[0].x, 503.0);
  EXPECT_EQ(m.vaisseaux[0].y, 497.0);
  EXPECT_EQ(m.vaisseaux[0].vitesse, 3.0);
  EXPECT_EQ(m.vaisseaux[0].angle, 0.0);
  EXPECT_EQ(m.vaisseaux[1].x, 520.0);
}

TEST(MiseAJourVaisseaux, SlideLengthFollowsRoundedSpeedAlongACube) {
  struct cas {
    double x, vitesse, y_attendu;
  };
  // Cube in cell (20, 20): edges x = 440 and x = 461, y from 440 to 461. Each
  // ship stands 9.2 from an edge, facing it; the slide is sideways by n.
  const std::vector<cas> cas_testes{
      {430.8, 0.49, 450.0}, {430.8, 0.5, 449.0}, {430.8, 2.49, 448.0},
      {430.8, 2.5, 447.0},  {430.8, 3.0, 447.0}, {470.2, -2.5, 447.0},
      {470.2, -1.49, 449.0}, {470.2, -0.3, 450.0},
  };
  for (const cas& c : cas_testes) {
    monde m(1);
    essai::pose_cube(m, 20, 20);
    VerrouGarde garde(m.verrou_monde);
    place_vaisseau(m, navire(c.x, 450, 1, 0.0, c.vitesse));
    mise_a_jour_vaisseaux(m);
    EXPECT_EQ(m.vaisseaux[0].x, c.x) << "speed " << c.vitesse;
    EXPECT_EQ(m.vaisseaux[0].y, c.y_attendu) << "speed " << c.vitesse;
  }
}

TEST(TryBestMove, EqualScoresGoToTheFirstFreeInIThenJOrder) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  // Blocks (3, 3) only among the best offsets: (2, 3) and (3, 2) tie next.
  place_vaisseau(m, navire(515.5, 515.5, 2));
  vaisseau& s = place_vaisseau(m, navire(500, 500, 1, std::numbers::pi / 4, 3.0));
  try_best_move(m, s, {});
  EXPECT_EQ(s.x, 502.0);
  EXPECT_EQ(s.y, 503.0);
}

TEST(TryBestMove, FirstFreeOffsetIsTakenEvenBackwardsAndABoxedShipStays) {
  const auto mur_x = [](double x) { return segment{{x, 400}, {x, 600}}; };
  const auto mur_y = [](double y) { return segment{{400, y}, {600, y}}; };
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  vaisseau& s = place_vaisseau(m, navire(500, 500, 1, 0.0, 3.0));
  const std::vector<segment> couloir{mur_x(509.5), mur_y(490.5), mur_y(509.5)};
  try_best_move(m, s, couloir);
  EXPECT_EQ(s.x, 499.0);
  EXPECT_EQ(s.y, 500.0);

  vaisseau& t = place_vaisseau(m, navire(500, 500, 2, 2.0, -3.0));
  const std::vector<segment> boite{mur_x(509.5), mur_x(490.5), mur_y(490.5), mur_y(509.5)};
  try_best_move(m, t, boite);
  EXPECT_EQ(t.x, 500.0);
  EXPECT_EQ(t.y, 500.0);
  EXPECT_EQ(t.vitesse, -3.0);
  EXPECT_EQ(t.angle, 2.0);
}

}  // namespace
}  // namespace jeu
