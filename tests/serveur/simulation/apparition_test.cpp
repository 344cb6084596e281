#include "simulation/apparition.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "support/monde_essai.h"
#include "simulation/destruction.h"

namespace jeu {
namespace {

// Whether s stands where spawning may put a ship of its colour.
void place_libre(const monde& m, const vaisseau& s) REQUIRES(m.verrou_monde) {
  EXPECT_GE(s.x, 9.0);
  EXPECT_LT(s.x, 980.0);
  EXPECT_GE(s.y, 9.0);
  EXPECT_LT(s.y, 980.0);
  EXPECT_FALSE(inter_cubes(s.x, s.y, get_cube_inter_segments(m, s.x, s.y)));
  EXPECT_FALSE(inter_vaisseau(m, s.x, s.y, s.couleur));
  EXPECT_FALSE(inside_cube(s.x, s.y, m.cubes));
}

TEST(CreeVaisseau, DrawsHeadingThenXThenY) {
  monde m(2024);
  aleatoire temoin(2024);
  VerrouGarde garde(m.verrou_monde);
  ASSERT_TRUE(cree_vaisseau(m, 0x123456));
  EXPECT_EQ(m.alea.tirages(), 3u) << "an empty arena accepts the first place";
  const vaisseau& s = m.vaisseaux.front();
  EXPECT_EQ(s.angle, 6.28 * temoin.reel());
  EXPECT_EQ(s.x, temoin.reel() * 972.0 + 9.0);
  EXPECT_EQ(s.y, temoin.reel() * 972.0 + 9.0);
  EXPECT_EQ(s.vitesse, 0.0);
  EXPECT_EQ(s.pt_vie, 5);
  EXPECT_EQ(s.couleur, 0x123456);
}

TEST(CreeVaisseau, ColourInUseIsRefusedWithoutADraw) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  m.cubes = cree_cubes(m, 200);
  ASSERT_TRUE(cree_vaisseau(m, 1));
  ASSERT_TRUE(cree_vaisseau(m, 2));
  const std::deque<vaisseau> avant = m.vaisseaux;
  const std::uint64_t tirages = m.alea.tirages();
  const std::uint64_t serie = m.prochaine_serie;
  EXPECT_FALSE(cree_vaisseau(m, 1));
  EXPECT_FALSE(cree_vaisseau(m, 2));
  EXPECT_EQ(m.alea.tirages(), tirages);
  EXPECT_EQ(m.prochaine_serie, serie);
  ASSERT_EQ(m.vaisseaux.size(), 2u);
  EXPECT_TRUE(essai::meme(m.vaisseaux[0], avant[0]));
  EXPECT_TRUE(essai::meme(m.vaisseaux[1], avant[1]));

  // Once its ship is gone the colour is welcome again, with a fresh serial.
  detruit_vaisseau(m, identite{1, m.vaisseaux[1].serie}, raison_depart::quitte);
  ASSERT_TRUE(cree_vaisseau(m, 1));
  EXPECT_EQ(m.vaisseaux.front().couleur, 1);
  EXPECT_EQ(m.vaisseaux.front().serie, serie);
  EXPECT_EQ(m.vaisseaux.front().pt_vie, 5);
  EXPECT_EQ(m.vaisseaux[1].couleur, 2);
}

TEST(CreeVaisseau, FillsTheArenaThenRefusesPromptly) {
  monde m(11);
  VerrouGarde garde(m.verrou_monde);
  m.cubes = cree_cubes(m, 200);
  couleur_t couleur = 0;
  for (;; ++couleur) {
    ASSERT_LT(couleur, 4000) << "the arena never filled up";
    const std::uint64_t tirages = m.alea.tirages();
    const std::uint64_t serie = m.prochaine_serie;
    const std::size_t nombre = m.vaisseaux.size();
    const auto debut = std::chrono::steady_clock::now();
    const bool accepte = cree_vaisseau(m, couleur);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(5));
    const std::uint64_t tires = m.alea.tirages() - tirages;
    if (!accepte) {
      EXPECT_EQ(tires, 1u + 2u * essais_placement_max);
      EXPECT_EQ(m.vaisseaux.size(), nombre);
      EXPECT_EQ(m.prochaine_serie, serie);
      EXPECT_NE(m.vaisseaux.front().couleur, couleur);
      break;
    }
    const vaisseau& s = m.vaisseaux.front();
    EXPECT_EQ(s.couleur, couleur);
    EXPECT_EQ(s.serie, serie);
    EXPECT_EQ(s.vitesse, 0.0);
    EXPECT_EQ(s.pt_vie, 5);
    EXPECT_GE(s.angle, 0.0);
    EXPECT_LT(s.angle, 6.28);
    EXPECT_EQ(tires % 2, 1u);
    place_libre(m, s);
  }
  // Hundreds of ships fit before the first refusal; each still stands free.
  EXPECT_GT(m.vaisseaux.size(), 1000u);
  for (const vaisseau& s : m.vaisseaux) place_libre(m, s);
}

}  // namespace
}  // namespace jeu
