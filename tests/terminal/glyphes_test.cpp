#include "terminal/glyphes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace jeu::terminal {
namespace {

constexpr double pi = std::numbers::pi;

TEST(Glyphes, HeadingMarkFromTheAngleWithYDownward) {
  const struct {
    double angle;
    const char* utf8;
    const char* ascii;
  } cas[] = {
      {0, "→", ">"},
      {pi / 2, "↓", "v"},  // y grows downward
      {pi, "←", "<"},
      {-pi / 2, "↑", "^"},
      {3 * pi / 2, "↑", "^"},
      {pi / 4 + 0.01, "↘", "v"},  // just past half way between two ASCII marks
      {3 * pi / 4 + 0.01, "↙", "<"},
      {-pi / 4 - 0.01, "↗", "^"},
      {-3 * pi / 4 + 0.01, "↖", "^"},
      {0.3, "→", ">"},
      {0.5, "↘", ">"},
      {2 * pi + 0.1, "→", ">"},   // never reduced by the server
      {-19 * pi, "←", "<"},
      {1000.0, "↘", "v"},  // 159 turns and 0.97 rad
      {std::numeric_limits<double>::quiet_NaN(), "o", "o"},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(marque_cap(c.angle, true), c.utf8) << c.angle;
    EXPECT_EQ(marque_cap(c.angle, false), c.ascii) << c.angle;
  }
}

TEST(Glyphes, EachSetIsOneColumnPerGlyph) {
  const glyphes& a = jeu_de_glyphes(false);
  for (std::string_view g : {a.coin_haut_gauche, a.coin_haut_droit, a.coin_bas_gauche,
                             a.coin_bas_droit, a.horizontal, a.vertical, a.cube, a.balle}) {
    EXPECT_EQ(g.size(), 1u) << g;
  }
  const glyphes& u = jeu_de_glyphes(true);
  EXPECT_NE(u.cube, u.balle);
  EXPECT_NE(a.cube, a.balle);
}

}  // namespace
}  // namespace jeu::terminal
