#include "world/monde.h"

#include <gtest/gtest.h>

#include <set>

#include "world/flotte.h"
#include "world/recherche.h"

namespace jeu {
namespace {

static_assert(cellules_grille_x == 47 && cellules_grille_y == 47);
static_assert(configuration::rayon_vaisseau + configuration::rayon_balle == 13.0);
static_assert(static_cast<int>(configuration::periode_tick * 1000) == 25);

TEST(Aleatoire, RangesAndReproducibility) {
  aleatoire a(42);
  aleatoire b(42);
  std::set<int> vus;
  for (int k = 0; k < 5000; ++k) {
    const int e = a.entier(45);
    ASSERT_GE(e, 0);
    ASSERT_LT(e, 45);
    vus.insert(e);
    const double r = a.reel();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    ASSERT_EQ(e, b.entier(45));
    ASSERT_EQ(r, b.reel());
  }
  EXPECT_EQ(vus.size(), 45u) << "every value of [0, 45) should come up in 5000 draws";
  EXPECT_EQ(a.tirages(), 10000u);
  EXPECT_EQ(a.entier(1), 0);
}

TEST(Monde, StartsEmptyAndFindsShipsFromTheHead) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  EXPECT_TRUE(m.vaisseaux.empty());
  EXPECT_TRUE(m.balles.empty());
  EXPECT_TRUE(m.cubes.empty());
  for (const auto& colonne : m.grille_cubes) {
    for (bool b : colonne) EXPECT_FALSE(b);
  }
  EXPECT_EQ(cherche_vaisseau(m, identite{5, 1}), nullptr);
  EXPECT_FALSE(couleur_prise(m, 5));
  place_vaisseau(m, {10, 10, 0, 0, 5, 5, 0});
  place_vaisseau(m, {20, 20, 0, 0, 5, 6, 0});
  EXPECT_TRUE(couleur_prise(m, 5));
  EXPECT_FALSE(couleur_prise(m, 7));
  ASSERT_NE(cherche_vaisseau(m, identite{5, 1}), nullptr);
  EXPECT_EQ(cherche_vaisseau(m, identite{5, 1})->x, 10);
  EXPECT_EQ(cherche_vaisseau(m, identite{5, 2}), nullptr) << "serial must match too";
  EXPECT_EQ(cherche_vaisseau(m, identite{6, 2})->x, 20);
}

}  // namespace
}  // namespace jeu
