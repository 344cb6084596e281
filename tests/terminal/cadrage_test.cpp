#include "terminal/cadrage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace jeu::terminal {
namespace {

TEST(Cadrage, LayoutKeepsTheArenaProportions) {
  const struct {
    int colonnes, lignes;
    double largeur_arene, hauteur_arene;
    int colonne, ligne, largeur, hauteur;
  } cas[] = {
      {100, 40, 990, 990, 13, 1, 74, 37},  // limited by the height
      {101, 40, 990, 990, 13, 1, 74, 37},
      {80, 24, 990, 990, 19, 1, 42, 21},
      {40, 40, 990, 990, 1, 10, 38, 19},   // limited by the width
      {100, 40, 990, 495, 1, 7, 98, 25},   // twice as wide as tall: 24.5 rows, rounded
      {200, 60, 400, 800, 71, 1, 57, 57},  // twice as tall as wide
      {3, 4, 990, 990, 1, 1, 1, 1},        // the smallest that shows anything
  };
  for (const auto& c : cas) {
    const disposition d = dispose(c.colonnes, c.lignes, c.largeur_arene, c.hauteur_arene);
    SCOPED_TRACE(testing::Message() << c.colonnes << "x" << c.lignes);
    EXPECT_EQ(d.colonne, c.colonne);
    EXPECT_EQ(d.ligne, c.ligne);
    EXPECT_EQ(d.largeur, c.largeur);
    EXPECT_EQ(d.hauteur, c.hauteur);
    EXPECT_EQ(d.ligne_etat, c.lignes - 1);
    ASSERT_TRUE(d.arene_visible());
    // The frame fits above the status bar.
    EXPECT_GE(d.colonne - 1, 0);
    EXPECT_LE(d.colonne + d.largeur, c.colonnes - 1);
    EXPECT_GE(d.ligne - 1, 0);
    EXPECT_LE(d.ligne + d.hauteur, d.ligne_etat - 1);
  }
}

TEST(Cadrage, AspectWithinHalfACellOverManySizes) {
  for (int colonnes = 10; colonnes <= 300; colonnes += 7) {
    for (int lignes = 6; lignes <= 120; lignes += 5) {
      const disposition d = dispose(colonnes, lignes, 990, 990);
      ASSERT_TRUE(d.arene_visible());
      EXPECT_TRUE(d.hauteur == lignes - 3 || d.largeur == colonnes - 2) << colonnes << "x" << lignes;
      EXPECT_LE(std::fabs(d.hauteur - d.largeur / rapport_cellule), 0.5) << colonnes << "x" << lignes;
    }
  }
}

TEST(Cadrage, TooSmallShowsNoArena) {
  for (const auto& [colonnes, lignes] : {std::pair{2, 40}, {100, 3}, {0, 0}}) {
    const disposition d = dispose(colonnes, lignes, 990, 990);
    EXPECT_FALSE(d.arene_visible()) << colonnes << "x" << lignes;
  }
}

TEST(Cadrage, PointsToCells) {
  const disposition d = dispose(100, 40, 990, 990);  // inside: columns 13..86, rows 1..37
  const struct {
    double x, y;
    case_ecran attendu;
  } cas[] = {
      {0, 0, {13, 1}},       {989, 989, {86, 37}},  {495, 495, {50, 19}},
      {13.3, 26.7, {13, 1}}, {13.4, 26.8, {14, 2}},  // one cell is 990/74 by 990/37 units
      {-10, 5000, {13, 37}}, {990, 990, {86, 37}},   // outside: the nearest edge cell
  };
  for (const auto& c : cas) EXPECT_EQ(case_de(d, c.x, c.y), c.attendu) << c.x << "," << c.y;
}

TEST(Cadrage, CubesCoverTheCellsTheyOverlap) {
  const disposition d = dispose(100, 40, 990, 990);
  const struct {
    double x1, y1, x2, y2;
    zone attendu;
  } cas[] = {
      {352, 88, 374, 110, {39, 4, 40, 5}},
      {968, 968, 990, 990, {85, 37, 86, 37}},
      {0, 0, 22, 22, {13, 1, 14, 1}},
      {500, 500, 500, 500, {50, 19, 50, 19}},  // empty: still one cell
  };
  for (const auto& c : cas) {
    EXPECT_EQ(zone_de(d, c.x1, c.y1, c.x2, c.y2), c.attendu) << c.x1 << "," << c.y1;
  }
}

}  // namespace
}  // namespace jeu::terminal
