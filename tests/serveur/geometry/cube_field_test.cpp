#include "geometry/cube_field.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "support/monde_essai.h"

namespace jeu {
namespace {

std::vector<segment> vers_vecteur(const liste_segments& l) { return {l.begin(), l.end()}; }

segment seg(double x1, double y1, double x2, double y2) { return {{x1, y1}, {x2, y2}}; }

using essai::pose_cube;

TEST(CreeCubes, FieldInvariantsAfterTwoHundred) {
  monde m(7);
  VerrouGarde garde(m.verrou_monde);
  const std::uint64_t avant = m.alea.tirages();
  const std::vector<cube> cubes = cree_cubes(m, 200);
  ASSERT_EQ(cubes.size(), 200u);
  EXPECT_GE(m.alea.tirages() - avant, 400u);
  std::set<std::pair<double, double>> coins;
  for (const cube& c : cubes) {
    EXPECT_TRUE(coins.insert({c.x1, c.y1}).second) << "two cubes share a cell";
    EXPECT_EQ(c.x2 - c.x1, 22.0);
    EXPECT_EQ(c.y2 - c.y1, 22.0);
    for (double v : {c.x1, c.y1}) {
      EXPECT_GE(v, 0.0);
      EXPECT_LE(v, 968.0);
      EXPECT_EQ(v, 22.0 * static_cast<int>(v / 22.0));
    }
    EXPECT_TRUE(m.grille_cubes[static_cast<int>(c.x1 / 22) + 1][static_cast<int>(c.y1 / 22) + 1]);
  }
  int vrais = 0;
  for (int i = 0; i < cellules_grille_x; ++i) {
    for (int j = 0; j < cellules_grille_y; ++j) {
      if (!m.grille_cubes[i][j]) continue;
      ++vrais;
      EXPECT_TRUE(i >= 1 && i <= 45 && j >= 1 && j <= 45);
    }
  }
  EXPECT_EQ(vrais, 200);
}

TEST(CreeCubes, LastDrawnComesFirst) {
  // Same seed, one cube fewer: the shorter field is the tail of the longer.
  monde a(99);
  monde b(99);
  VerrouGarde ga(a.verrou_monde);
  VerrouGarde gb(b.verrou_monde);
  const std::vector<cube> dix = cree_cubes(a, 10);
  const std::vector<cube> neuf = cree_cubes(b, 9);
  for (std::size_t k = 0; k < neuf.size(); ++k) {
    EXPECT_EQ(dix[k + 1].x1, neuf[k].x1);
    EXPECT_EQ(dix[k + 1].y1, neuf[k].y1);
  }
}

TEST(CreeCubes, ZeroNegativeAndImpossibleCounts) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  EXPECT_TRUE(cree_cubes(m, 0).empty());
  try {
    cree_cubes(m, -1);
    FAIL() << "a negative count must fail";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "cree_cubes : pas de cubes");
  }
  EXPECT_THROW(cree_cubes(m, 2026), std::invalid_argument);
  EXPECT_EQ(m.alea.tirages(), 0u);
  for (const auto& colonne : m.grille_cubes) {
    for (bool b : colonne) EXPECT_FALSE(b);
  }
  // Every cell can be filled: the redraw loop ends.
  EXPECT_EQ(cree_cubes(m, 2025).size(), 2025u);
}

TEST(GetCubeInterSegments, LoneCubeSeenFromEachSide) {
  monde m(1);
  pose_cube(m, 10, 10);
  EXPECT_EQ(vers_vecteur(get_cube_inter_segments(m, 230.0, 230.0)),
            (std::vector<segment>{seg(220, 220, 241, 220), seg(220, 241, 241, 241),
                                  seg(220, 220, 220, 241), seg(241, 220, 241, 241)}));
  EXPECT_EQ(vers_vecteur(get_cube_inter_segments(m, 200.0, 230.0)),
            (std::vector<segment>{seg(220, 220, 241, 220), seg(220, 241, 241, 241),
                                  seg(220, 220, 220, 241)}));
  EXPECT_EQ(vers_vecteur(get_cube_inter_segments(m, 250.0, 250.0)),
            (std::vector<segment>{seg(220, 241, 241, 241), seg(241, 220, 241, 241)}));
  // Two cells away, or nothing around: no edge.
  EXPECT_TRUE(get_cube_inter_segments(m, 270.0, 230.0).empty());
  EXPECT_TRUE(get_cube_inter_segments(m, 500.0, 500.0).empty());
}

TEST(GetCubeInterSegments, SharedEdgeOfAdjacentCubesIsNeverReturned) {
  monde m(1);
  pose_cube(m, 10, 10);
  pose_cube(m, 11, 10);
  EXPECT_EQ(vers_vecteur(get_cube_inter_segments(m, 230.0, 230.0)),
            (std::vector<segment>{seg(242, 220, 263, 220), seg(242, 241, 263, 241),
                                  seg(220, 220, 241, 220), seg(220, 241, 241, 241),
                                  seg(220, 220, 220, 241)}));
}

TEST(GetCubeInterSegments, CornersOfTheArenaAndOutside) {
  monde m(1);
  pose_cube(m, 0, 0);
  pose_cube(m, 44, 44);
  EXPECT_EQ(get_cube_inter_segments(m, 0.0, 0.0).size(), 4);
  EXPECT_EQ(get_cube_inter_segments(m, 989.9, 989.9).size(), 4);
  // Truncation toward zero puts -21.9 in column 0, with the cube there.
  EXPECT_EQ(get_cube_inter_segments(m, -21.9, 5.0).size(), 4);
  EXPECT_THROW(get_cube_inter_segments(m, 990.0, 5.0), std::out_of_range);
  EXPECT_THROW(get_cube_inter_segments(m, 5.0, -22.0), std::out_of_range);
  EXPECT_THROW(get_cube_inter_segments(m, NAN, 5.0), std::out_of_range);
}

TEST(InsideCube, ClosedSquareWithTolerance) {
  const std::vector<cube> un{{220.0, 220.0, 242.0, 242.0}};
  for (auto [x, y] : std::vector<std::pair<double, double>>{
           {230, 230}, {242, 230}, {220, 230}, {220, 220}, {242, 242}, {242.002, 230}}) {
    EXPECT_TRUE(inside_cube(x, y, un)) << x << "," << y;
  }
  for (auto [x, y] : std::vector<std::pair<double, double>>{
           {242.01, 230}, {219.99, 230}, {230, 242.01}, {230, 219.99}, {243, 243}}) {
    EXPECT_FALSE(inside_cube(x, y, un)) << x << "," << y;
  }
  EXPECT_FALSE(inside_cube(230, 230, std::vector<cube>{}));
  const std::vector<cube> deux{{0, 0, 22, 22}, {220.0, 220.0, 242.0, 242.0}};
  EXPECT_TRUE(inside_cube(230, 230, deux));
}

}  // namespace
}  // namespace jeu
