// The table of the cubes' surroundings against the exact cube test: an
// unmarked square must never hold a bullet centre that the test says runs
// into a cube.
#include "world/abords_cubes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/cube_field.h"
#include "simulation/balles.h"
#include "support/monde_essai.h"

namespace jeu {
namespace {

// Coordinates around a cube side at `bord`: the reach of the test on both
// sides, and the neighbouring doubles of each.
std::vector<double> autour(double bord) {
  std::vector<double> v;
  for (double d : {-4.000001, -4.0, -3.5, -2.0, -0.5, 0.0, 0.5, 2.0, 3.5, 4.0, 4.000001}) {
    const double c = bord + d;
    for (double e : {std::nextafter(c, -1e9), c, std::nextafter(c, 1e9)}) {
      if (e >= 0.0 && e < configuration::largeur_plateau) v.push_back(e);
    }
  }
  return v;
}

TEST(AbordsCubes, NoBulletThatHitsACubeIsCentredInAnUnmarkedSquare) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  m.cubes = cree_cubes(m, configuration::nb_cubes);
  int touches = 0;
  int non_marques = 0;
  int manques = 0;
  double manque_x = 0.0;
  double manque_y = 0.0;
  const auto verifie = [&](double x, double y) {
    const bool touche = est_hors_jeu(m, {x, y, 0.0, 0});
    const bool marque = m.abords.peut_toucher(x, y);
    touches += touche;
    non_marques += !marque;
    if (touche && !marque && manques++ == 0) {
      manque_x = x;
      manque_y = y;
    }
  };
  for (const cube& k : m.cubes) {
    std::vector<double> xs = autour(k.x1);
    for (double x : autour(k.x2)) xs.push_back(x);
    std::vector<double> ys = autour(k.y1);
    for (double y : autour(k.y2)) ys.push_back(y);
    for (double x : xs) {
      for (double y : ys) verifie(x, y);
    }
  }
  std::mt19937 hasard(3);
  std::uniform_real_distribution<double> position(0.0, configuration::largeur_plateau);
  for (int k = 0; k < 200000; ++k) verifie(position(hasard), position(hasard));
  EXPECT_EQ(manques, 0) << "first at (" << manque_x << ", " << manque_y << ")";
  EXPECT_GT(touches, 10000) << "the sample should run into cubes often";
  EXPECT_GT(non_marques, 100000) << "most of the arena is far from every cube";
}

TEST(AbordsCubes, AHandPlacedCubeMarksItsSurroundingsOnly) {
  monde m(1);
  essai::pose_cube(m, 10, 20);  // [220, 242] x [440, 462]
  EXPECT_TRUE(m.abords.peut_toucher(231.0, 451.0));
  EXPECT_TRUE(m.abords.peut_toucher(216.5, 451.0));
  EXPECT_TRUE(m.abords.peut_toucher(245.5, 465.5));
  EXPECT_FALSE(m.abords.peut_toucher(200.0, 451.0));
  EXPECT_FALSE(m.abords.peut_toucher(231.0, 480.0));
  EXPECT_FALSE(m.abords.peut_toucher(500.0, 500.0));
}

}  // namespace
}  // namespace jeu
