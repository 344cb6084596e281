#include "geometry/collisions.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "world/flotte.h"

namespace jeu {
namespace {

const std::vector<segment> haut_x{{{241, 220}, {241, 241}}};
const std::vector<segment> bas_y{{{220, 220}, {241, 220}}};

TEST(InterCubes, DistanceNineTouchesAndToleranceWidens) {
  EXPECT_TRUE(inter_cubes(250, 230, haut_x));
  EXPECT_FALSE(inter_cubes(250.01, 230, haut_x));
  EXPECT_TRUE(inter_cubes(250.002, 230, haut_x));
  EXPECT_TRUE(inter_cubes(232, 230, haut_x));
  EXPECT_TRUE(inter_cubes(241, 230, haut_x));
  EXPECT_FALSE(inter_cubes(231.99, 230, haut_x));
}

TEST(InterCubes, CornersDecidedByEndPoints) {
  EXPECT_TRUE(inter_cubes(247, 247, haut_x));
  EXPECT_FALSE(inter_cubes(248, 248, haut_x));
  EXPECT_TRUE(inter_cubes(245, 215.5, haut_x));
  EXPECT_FALSE(inter_cubes(232, 215, haut_x));
  EXPECT_TRUE(inter_cubes(230, 211, bas_y));
  EXPECT_TRUE(inter_cubes(230, 229, bas_y));
  EXPECT_FALSE(inter_cubes(230, 210.99, bas_y));
  EXPECT_TRUE(inter_cubes(215, 213, bas_y));
  EXPECT_FALSE(inter_cubes(230, 230, std::vector<segment>{}));
  // Any segment of the list counts, not only the first.
  const std::vector<segment> deux{bas_y[0], haut_x[0]};
  EXPECT_TRUE(inter_cubes(250, 230, deux));
}

TEST(InterPlateau, LowSidesStrictHighSidesNot) {
  for (const auto& [v, dehors] : {std::pair{9.0, false}, {8.99, true}, {979.99, false}, {980.0, true}}) {
    EXPECT_EQ(inter_plateau(v, 500), dehors) << "x " << v;
    EXPECT_EQ(inter_plateau(500, v), dehors) << "y " << v;
  }
}

TEST(InterVaisseau, OtherShipsCloserThanEighteen) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  EXPECT_FALSE(inter_vaisseau(m, 100, 100, 1));
  place_vaisseau(m, {100, 100, 0, 0, 5, 7, 0});
  EXPECT_FALSE(inter_vaisseau(m, 118, 100, 1));
  EXPECT_TRUE(inter_vaisseau(m, 117.99, 100, 1));
  EXPECT_TRUE(inter_vaisseau(m, 100, 100, 1));
  EXPECT_FALSE(inter_vaisseau(m, 100, 100, 7)) << "a ship is never tested against itself";
  place_vaisseau(m, {300, 300, 0, 0, 5, 8, 0});
  EXPECT_TRUE(inter_vaisseau(m, 110, 110, 8)) << "ships later in the list count too";
}

}  // namespace
}  // namespace jeu
