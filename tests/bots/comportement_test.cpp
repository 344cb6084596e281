// The robots' decisions, on worlds written by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "bots/comportement.h"
#include "bots/equipe.h"

namespace jeu::bots {
namespace {

using jeu_client::cube;
using jeu_client::requete;
using jeu_client::vaisseau;
constexpr double pi = std::numbers::pi;

long compte(const std::vector<requete>& actions, requete r) {
  return std::count(actions.begin(), actions.end(), r);
}

TEST(Comportement, AnglesAndSpeed) {
  EXPECT_NEAR(ecart_angle(0.1, 0.0), 0.1, 1e-12);
  EXPECT_NEAR(ecart_angle(0.0, 0.1 + 4 * pi), -0.1, 1e-12);
  EXPECT_NEAR(ecart_angle(pi, 0.0), pi, 1e-12);
  EXPECT_NEAR(ecart_angle(-pi, 0.0), pi, 1e-12) << "(-pi, pi]";
  EXPECT_NEAR(ecart_angle(3 * pi / 2, 0.0), -pi / 2, 1e-12);
  EXPECT_NEAR(vitesse_apres(2.95, requete::accelere), 3.0, 1e-12);
  EXPECT_NEAR(vitesse_apres(-1.95, requete::decelere), -2.0, 1e-12);
  EXPECT_NEAR(vitesse_apres(1.0, requete::tire), 1.0, 1e-12);
}

TEST(Comportement, TurretTurnsTowardTheNearestShipAndFiresWhenAligned) {
  const vaisseau moi{500, 500, 0.0, 5, 1};
  struct cas {
    std::vector<vaisseau> autres;
    double vitesse;
    long gauche, droite, tire, decelere;
  };
  const std::vector<cas> table{
      // Straight ahead: fire, no turn.
      {{{600, 500, 0, 5, 2}}, 0.0, 0, 0, 1, 0},
      // Nearest at +0.3 rad (left, y up), a farther one ahead: two left turns, then fire.
      {{{800, 500, 0, 5, 2}, {500 + 100 * std::cos(0.3), 500 + 100 * std::sin(0.3), 0, 5, 3}},
       0.0, 2, 0, 1, 0},
      // Behind: at most four turns a frame, no shot.
      {{{400, 499, 0, 5, 2}}, 0.0, 0, 4, 0, 0},
      // Alone: nothing to do but stop.
      {{}, 0.3, 0, 0, 0, 3},
      // Straight ahead but out of range: keep the bullets.
      {{{1300, 500, 0, 5, 2}}, 0.0, 0, 0, 0, 0},
  };
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::vector<vaisseau> tous = table[i].autres;
    tous.push_back(moi);
    const auto a = decide(comportement::tourelle, moi, table[i].vitesse, tous, {});
    EXPECT_EQ(compte(a, requete::gauche), table[i].gauche) << i;
    EXPECT_EQ(compte(a, requete::droite), table[i].droite) << i;
    EXPECT_EQ(compte(a, requete::tire), table[i].tire) << i;
    EXPECT_EQ(compte(a, requete::decelere), table[i].decelere) << i;
    EXPECT_EQ(compte(a, requete::accelere), 0) << i;
    if (table[i].tire) {
      EXPECT_EQ(a.back(), requete::tire) << i << ": the shot follows the turns";
    }
  }
}

TEST(Comportement, HunterClosesInAndGoesAroundCubes) {
  const vaisseau moi{100, 500, 0.0, 5, 1};
  const vaisseau loin{800, 500, 0.0, 5, 2};
  // Open field: heads straight on, speeds up, fires only in range.
  auto a = decide(comportement::chasseur, moi, 0.0, std::vector{moi, loin}, {});
  EXPECT_EQ(compte(a, requete::gauche) + compte(a, requete::droite), 0);
  EXPECT_EQ(compte(a, requete::accelere), 5);
  EXPECT_EQ(compte(a, requete::tire), 0);
  const vaisseau pres{250, 500, 0.0, 5, 2};
  a = decide(comportement::chasseur, moi, 2.0, std::vector{moi, pres}, {});
  EXPECT_EQ(compte(a, requete::tire), 1);

  // A cube straight ahead: turn away from it, slow down, never stop dead.
  const std::vector<cube> mur{{115, 485, 137, 507}};
  EXPECT_TRUE(bloque(112, 500, mur, 2.0));
  EXPECT_FALSE(bloque(100, 470, mur, 2.0));
  a = decide(comportement::chasseur, moi, 2.0, std::vector{moi, loin}, mur);
  EXPECT_GT(compte(a, requete::gauche) + compte(a, requete::droite), 0);
  EXPECT_GT(compte(a, requete::decelere), 0);
  // The arena's edge is a wall too.
  EXPECT_TRUE(bloque(5, 500, {}, 0.0));
  EXPECT_TRUE(bloque(500, 985, {}, 0.0));
}

TEST(Comportement, LineOfFire) {
  const std::vector<cube> cubes{{100, 100, 122, 122}};
  const struct {
    double x1, y1, x2, y2;
    bool libre;
  } table[] = {
      {0, 111, 300, 111, false},    // straight through
      {0, 125, 300, 125, false},    // passes 3 units from its edge: a bullet's radius touches
      {0, 127, 300, 127, true},     // 5 units away
      {111, 0, 111, 300, false},    // vertical
      {111, 0, 111, 90, true},      // stops short of it
      {0, 0, 300, 300, false},      // the diagonal
      {0, 60, 300, 100, true},      // passes above
      {130, 130, 300, 300, true},   // starts beyond it
  };
  for (const auto& c : table) {
    EXPECT_EQ(tir_libre(c.x1, c.y1, c.x2, c.y2, cubes), c.libre)
        << c.x1 << ',' << c.y1 << " -> " << c.x2 << ',' << c.y2;
  }
}

// What froze a match: robots aiming at ships behind cubes fired into the
// cubes for ever, and hunters waited next to ships they could not hit.
TEST(Comportement, NoShotIntoACube) {
  const vaisseau moi{500, 500, 0.0, 5, 1};
  const vaisseau cache{600, 500, 0.0, 5, 2};  // straight ahead, behind the cube
  const std::vector<cube> mur{{540, 480, 562, 522}};
  for (const comportement c : {comportement::tourelle, comportement::chasseur}) {
    auto a = decide(c, moi, 0.0, std::vector{moi, cache}, mur);
    EXPECT_EQ(compte(a, requete::tire), 0) << nom(c);
    // The same ship with nothing between: fired at.
    a = decide(c, moi, 0.0, std::vector{moi, cache}, {});
    EXPECT_EQ(compte(a, requete::tire), 1) << nom(c);
  }
  // A farther ship in sight is preferred to the hidden one: the turret turns
  // toward it (up and to the left, y growing downward: DROITE).
  const std::vector<vaisseau> tous{moi, cache, {500, 300, 0.0, 5, 3}};
  EXPECT_EQ(plus_proche_en_vue(moi, tous, mur), &tous[2]);
  EXPECT_EQ(plus_proche_en_vue(moi, tous, {}), &tous[1]);
  const auto a = decide(comportement::tourelle, moi, 0.0, tous, mur);
  EXPECT_EQ(compte(a, requete::droite), 4);
  EXPECT_EQ(compte(a, requete::gauche), 0);
}

TEST(Comportement, HunterStopsOnlyBesideAShipItCanHit) {
  const vaisseau moi{500, 500, 0.0, 5, 1};
  const vaisseau pres{550, 500, 0.0, 5, 2};  // 50 units ahead
  const std::vector<cube> entre{{520, 490, 530, 510}};
  // In sight: it slows to a stop and fires.
  auto a = decide(comportement::chasseur, moi, 1.0, std::vector{moi, pres}, {});
  EXPECT_EQ(compte(a, requete::decelere), 5);
  EXPECT_EQ(compte(a, requete::tire), 1);
  // Behind a cube: it keeps moving (around the cube) and keeps its bullets.
  a = decide(comportement::chasseur, moi, 0.0, std::vector{moi, pres}, entre);
  EXPECT_EQ(compte(a, requete::decelere), 0);
  EXPECT_GT(compte(a, requete::accelere), 0);
  EXPECT_EQ(compte(a, requete::tire), 0);
}

TEST(Comportement, RobotColoursAreDistinct) {
  // As many as 5,000 robots with 8 colours each ask for: hues repeat long
  // before that, and each repeat must still end in a new colour.
  const auto couleurs = couleurs_robots(5000 * couleurs_par_robot);
  std::vector<jeu_client::couleur_t> triees = couleurs;
  std::sort(triees.begin(), triees.end());
  EXPECT_EQ(std::adjacent_find(triees.begin(), triees.end()), triees.end());
  for (const auto c : couleurs) EXPECT_TRUE(c >= 0 && c <= 0xFFFFFF) << c;
  EXPECT_EQ(couleurs_robots(5), std::vector(couleurs.begin(), couleurs.begin() + 5));
  EXPECT_EQ(couleurs.front(), 0xFF0000);
}

TEST(Comportement, EachRobotHasItsOwnColoursToTry) {
  for (const jeu_client::couleur_t base : {0xFF0000, 0x00FF00, 0x3366CC}) {
    const int n = 7;
    const auto toutes = couleurs_robots(n * couleurs_par_robot, base);
    std::vector<jeu_client::couleur_t> vues;
    for (int i = 0; i < n; ++i) {
      const auto siennes = couleurs_du_robot(i, n, toutes);
      ASSERT_EQ(siennes.size(), static_cast<std::size_t>(couleurs_par_robot));
      // Its first colour is the one a run of n robots gives it.
      EXPECT_EQ(siennes.front(), couleurs_robots(n, base)[static_cast<std::size_t>(i)]);
      vues.insert(vues.end(), siennes.begin(), siennes.end());
    }
    std::sort(vues.begin(), vues.end());
    EXPECT_EQ(std::adjacent_find(vues.begin(), vues.end()), vues.end()) << base;
  }
  // The base's hue leads: a green base gives a green first robot.
  EXPECT_EQ(couleurs_robots(1, 0x00FF00).front(), 0x00FF00);
  EXPECT_EQ(couleurs_robots(1, 0x3366CC).front(), 0x0055FF);
}

}  // namespace
}  // namespace jeu::bots
