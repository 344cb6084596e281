#include "terminal/couleurs.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace jeu::terminal {
namespace {

TEST(Couleurs, ComponentsOfTheLow24Bits) {
  const struct {
    std::int64_t couleur;
    rgb attendu;
  } cas[] = {
      {0xFF0000, {255, 0, 0}},     {0x00FF00, {0, 255, 0}},
      {0x0000FF, {0, 0, 255}},     {0x123456, {0x12, 0x34, 0x56}},
      {0x7F123456, {0x12, 0x34, 0x56}},  // bits above 24 ignored
      {-1, {255, 255, 255}},       {-0x1000000, {0, 0, 0}},
  };
  for (const auto& c : cas) EXPECT_EQ(composantes(c.couleur), c.attendu) << std::hex << c.couleur;
}

TEST(Couleurs, XtermPalette) {
  const struct {
    int indice;
    rgb attendu;
  } cas[] = {{0, {0, 0, 0}},        {1, {205, 0, 0}},       {15, {255, 255, 255}},
             {16, {0, 0, 0}},       {21, {0, 0, 255}},      {196, {255, 0, 0}},
             {214, {255, 175, 0}},  {231, {255, 255, 255}}, {232, {8, 8, 8}},
             {244, {128, 128, 128}}, {255, {238, 238, 238}}};
  for (const auto& c : cas) EXPECT_EQ(teinte_terminal(c.indice), c.attendu) << c.indice;
}

TEST(Couleurs, NearestForEachPaletteSize) {
  const struct {
    std::int64_t couleur;
    int sur_8;
    int sur_16;
    int sur_256;
  } cas[] = {
      {0xFF0000, 1, 9, 196},    // pure red: the bright red exists from 16 colours
      {0x00FF00, 2, 10, 46},
      {0x0000FF, 4, 4, 21},     // (0,0,238) is nearer than the bright blue (92,92,255)
      {0xFFFFFF, 7, 15, 231},
      {0x000000, 0, 0, 16},     // never a system colour from 256 on
      {0x808080, 3, 8, 244},    // 8 colours have no mid grey: (205,205,0) is nearest
      {0xFFA500, 3, 3, 214},    // orange: (205,205,0) is nearer than (255,255,0)
      {0x800000, 1, 1, 88},     // dark red
      {0x00CDCD, 6, 6, 44},
      {-0x1000000 + 0xFF0000, 1, 9, 196},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(couleur_proche(c.couleur, 8), c.sur_8) << std::hex << c.couleur;
    EXPECT_EQ(couleur_proche(c.couleur, 16), c.sur_16) << std::hex << c.couleur;
    EXPECT_EQ(couleur_proche(c.couleur, 256), c.sur_256) << std::hex << c.couleur;
  }
}

TEST(Couleurs, DarkColoursTakeWhiteText) {
  const struct {
    std::int64_t couleur;
    bool sombre;
  } cas[] = {{0x000000, true},  {0xFFFFFF, false}, {0xFF0000, true},  {0x0000FF, true},
             {0x00FF00, false}, {0x800000, true},  {0x808080, false}, {0x7F7F7F, true}};
  for (const auto& c : cas) EXPECT_EQ(sombre(c.couleur), c.sombre) << std::hex << c.couleur;
}

}  // namespace
}  // namespace jeu::terminal
