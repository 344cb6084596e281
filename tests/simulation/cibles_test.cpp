// The bullet step's targets against a plain scan of the ship list.
#include "simulation/cibles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

namespace jeu {
namespace {

// The first ship of the list, not retired, closer than 13 to (x, y).
int premier_a_portee(const std::deque<vaisseau>& navires, const std::vector<char>& retires,
                     double x, double y) {
  const double p = cibles::portee;
  for (std::size_t k = 0; k < navires.size(); ++k) {
    const vaisseau& s = navires[k];
    if (retires[k] == 0 && (s.x - x) * (s.x - x) + (s.y - y) * (s.y - y) < p * p) {
      return static_cast<int>(k);
    }
  }
  return -1;
}

TEST(Cibles, FirstShipInReachAsTheListSaysWhileShipsAreRetired) {
  std::mt19937 hasard(11);
  // Ships crowded in two bands a few buckets wide (one along the arena's
  // side), overlapping, some on bucket boundaries and some off the arena;
  // queries all over and around them.
  std::uniform_real_distribution<double> x_navire(-5.0, 1000.0);
  std::uniform_real_distribution<double> y_bande(-5.0, 115.0);
  std::uniform_real_distribution<double> x_point(-20.0, 1010.0);
  std::uniform_real_distribution<double> y_point(-20.0, 130.0);
  const auto bande = [&hasard]() { return hasard() % 2 == 0 ? 0.0 : 300.0; };
  std::deque<vaisseau> navires;
  for (int k = 0; k < 600; ++k) {
    double x = x_navire(hasard);
    if (k % 10 == 0) x = 26.0 * (k % 39);  // exactly on a bucket side
    navires.push_back({x, bande() + y_bande(hasard), 0.0, 0.0, 5, k, static_cast<std::uint64_t>(k)});
  }
  cibles c(navires);
  std::vector<char> retires(navires.size(), 0);
  int touches = 0;
  for (int tour = 0; tour < 800; ++tour) {
    for (int q = 0; q < 20; ++q) {
      const double x = x_point(hasard);
      const double y = bande() + y_point(hasard);
      const int attendu = premier_a_portee(navires, retires, x, y);
      ASSERT_EQ(c.touche(x, y), attendu) << "(" << x << ", " << y << "), round " << tour;
      touches += attendu >= 0;
      // Also exactly 13 away on an axis from some ship: out of reach.
      const vaisseau& s = navires[hasard() % navires.size()];
      ASSERT_EQ(c.touche(s.x + 13.0, s.y), premier_a_portee(navires, retires, s.x + 13.0, s.y));
    }
    const int rang = c.touche(x_point(hasard), bande() + y_point(hasard));
    if (rang >= 0) {
      c.retire(rang);
      retires[static_cast<std::size_t>(rang)] = 1;
      EXPECT_EQ(&c.navire(rang), &navires[static_cast<std::size_t>(rang)]);
    }
  }
  EXPECT_EQ(c.retires(), retires);
  EXPECT_FALSE(c.aucun_retire());
  EXPECT_GT(touches, 1000);
  EXPECT_GT(std::count(retires.begin(), retires.end(), 1), 200) << "many ships retired";
}

}  // namespace
}  // namespace jeu
