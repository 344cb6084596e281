#include "simulation/mouvement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>
#include <vector>

#include "support/monde_essai.h"

namespace jeu {
namespace {

using essai::navire;
constexpr double pi = std::numbers::pi;

// Ships as listed (head first), with or without a cube in cell (20, 20), and
// where each stands after one ship step. Headings, speeds and life points
// never change.
struct pas_vaisseaux {
  const char* quoi;
  std::vector<vaisseau> navires;
  bool cube;
  std::vector<std::pair<double, double>> attendus;
};

TEST(MiseAJourVaisseaux, OneStepOfEveryShip) {
  std::vector<pas_vaisseaux> cas = {
      {"free ships go straight by their signed speed",
       {navire(100, 100, 1, 0.7, 0.0), navire(300, 300, 2, 1.0, 2.5), navire(500, 500, 3, 0.3, -1.5)},
       false,
       {{100, 100},
        {300 + std::cos(1.0) * 2.5, 300 + std::sin(1.0) * 2.5},
        {500 + std::cos(0.3) * -1.5, 500 + std::sin(0.3) * -1.5}}},
      // (503, 500) was free before the first ship moved, not after; at i = 3
      // every place is still too close, so the first free i = 2 place wins.
      {"later ships see the new positions of earlier ones",
       {navire(523, 500, 1, pi, 3.0), navire(500, 500, 2, 0.0, 3.0)}, false, {{520, 500}, {502, 497}}},
      // Straight ahead (503, 500) is 17.26 from the other ship; (503, 497) is
      // 18.03 away, the only free place with i = 3.
      {"blocked at full speed: the first best offset",
       {navire(500, 500, 1, 0.0, 3.0), navire(520, 503, 2)}, false, {{503, 497}, {520, 503}}},
  };
  // Along the cube (edges x = 440 and x = 461, y from 440 to 461): each ship
  // stands 9.2 from an edge, facing it; it slides sideways by its speed rounded.
  for (const auto& [x, vitesse, y] : {std::tuple{430.8, 0.49, 450.0}, {430.8, 0.5, 449.0},
                                     {430.8, 2.49, 448.0}, {430.8, 2.5, 447.0}, {430.8, 3.0, 447.0},
                                     {470.2, -2.5, 447.0}, {470.2, -1.49, 449.0}, {470.2, -0.3, 450.0}}) {
    cas.push_back({"slide along a cube", {navire(x, 450, 1, 0.0, vitesse)}, true, {{x, y}}});
  }
  for (const pas_vaisseaux& c : cas) {
    SCOPED_TRACE(testing::Message() << c.quoi << ", first ship at (" << c.navires[0].x << ", "
                                    << c.navires[0].y << "), speed " << c.navires[0].vitesse);
    monde m(1);
    if (c.cube) essai::pose_cube(m, 20, 20);
    VerrouGarde garde(m.verrou_monde);
    for (auto v = c.navires.rbegin(); v != c.navires.rend(); ++v) place_vaisseau(m, *v);
    ASSERT_EQ(m.vaisseaux.size(), c.attendus.size());
    mise_a_jour_vaisseaux(m);
    for (std::size_t k = 0; k < c.attendus.size(); ++k) {
      SCOPED_TRACE(testing::Message() << "ship " << k);
      EXPECT_EQ(m.vaisseaux[k].x, c.attendus[k].first);
      EXPECT_EQ(m.vaisseaux[k].y, c.attendus[k].second);
      EXPECT_EQ(m.vaisseaux[k].angle, c.navires[k].angle);
      EXPECT_EQ(m.vaisseaux[k].vitesse, c.navires[k].vitesse);
      EXPECT_EQ(m.vaisseaux[k].pt_vie, 5);
    }
  }
}

TEST(TryBestMove, FirstFreeBestOffsetOrNone) {
  const auto mur_x = [](double x) { return segment{{x, 400}, {x, 600}}; };
  const auto mur_y = [](double y) { return segment{{400, y}, {600, y}}; };
  const struct {
    const char* quoi;
    std::vector<vaisseau> autres;
    vaisseau navire;
    std::vector<segment> murs;
    double x, y;
  } cas[] = {
      // Blocks (3, 3) only among the best offsets: (2, 3) and (3, 2) tie next.
      {"equal scores: the first free in i then j order", {navire(515.5, 515.5, 2)},
       navire(500, 500, 1, pi / 4, 3.0), {}, 502, 503},
      {"the first free offset even backwards", {}, navire(500, 500, 1, 0.0, 3.0),
       {mur_x(509.5), mur_y(490.5), mur_y(509.5)}, 499, 500},
      {"a boxed ship stays", {}, navire(500, 500, 2, 2.0, -3.0),
       {mur_x(509.5), mur_x(490.5), mur_y(490.5), mur_y(509.5)}, 500, 500},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.quoi);
    monde m(1);
    VerrouGarde garde(m.verrou_monde);
    for (const vaisseau& v : c.autres) place_vaisseau(m, v);
    vaisseau& s = place_vaisseau(m, c.navire);
    try_best_move(m, s, c.murs);
    EXPECT_EQ(s.x, c.x);
    EXPECT_EQ(s.y, c.y);
    EXPECT_EQ(s.vitesse, c.navire.vitesse);
    EXPECT_EQ(s.angle, c.navire.angle);
  }
}

}  // namespace
}  // namespace jeu
