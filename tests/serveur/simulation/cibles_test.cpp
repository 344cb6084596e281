// The bullet step's targets against a plain scan of the ship list.
#include "simulation/cibles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <utility>
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
  // Ships crowded in two bands a few buckets wide, overlapping, some on
  // bucket boundaries and some off the arena; queries all over and around
  // them. Bands across the rows of buckets (every row holds ships), then
  // along them (most rows hold none: their queries must find nothing).
  for (const bool bandes_en_x : {false, true}) {
    SCOPED_TRACE(bandes_en_x ? "bands along the rows" : "bands across the rows");
    std::mt19937 hasard(11);
    std::uniform_real_distribution<double> long_navire(-5.0, 1000.0);
    std::uniform_real_distribution<double> large_bande(-5.0, 115.0);
    std::uniform_real_distribution<double> long_point(-20.0, 1010.0);
    std::uniform_real_distribution<double> large_point(-20.0, 130.0);
    const auto bande = [&hasard]() { return hasard() % 2 == 0 ? 0.0 : 300.0; };
    // (along, across) a band, as (x, y) or (y, x).
    const auto place = [bandes_en_x](double le_long, double en_travers) {
      return bandes_en_x ? std::pair{en_travers, le_long} : std::pair{le_long, en_travers};
    };
    std::deque<vaisseau> navires;
    for (int k = 0; k < 600; ++k) {
      double le_long = long_navire(hasard);
      if (k % 10 == 0) le_long = 26.0 * (k % 39);  // exactly on a bucket side
      const auto [x, y] = place(le_long, bande() + large_bande(hasard));
      navires.push_back({x, y, 0.0, 0.0, 5, k, static_cast<std::uint64_t>(k)});
    }
    cibles c(navires);
    std::vector<char> retires(navires.size(), 0);
    int touches = 0;
    for (int tour = 0; tour < 800; ++tour) {
      for (int q = 0; q < 20; ++q) {
        const auto [x, y] = place(long_point(hasard), bande() + large_point(hasard));
        const int attendu = premier_a_portee(navires, retires, x, y);
        ASSERT_EQ(c.touche(x, y), attendu) << "(" << x << ", " << y << "), round " << tour;
        touches += attendu >= 0;
        // Also exactly 13 away on an axis from some ship: out of reach.
        const vaisseau& s = navires[hasard() % navires.size()];
        ASSERT_EQ(c.touche(s.x + 13.0, s.y), premier_a_portee(navires, retires, s.x + 13.0, s.y));
        ASSERT_EQ(c.touche(s.x, s.y - 13.0), premier_a_portee(navires, retires, s.x, s.y - 13.0));
        // Anywhere in the arena, the empty rows included.
        const double ax = long_point(hasard);
        const double ay = long_point(hasard);
        ASSERT_EQ(c.touche(ax, ay), premier_a_portee(navires, retires, ax, ay))
            << "(" << ax << ", " << ay << "), round " << tour;
      }
      const auto [x, y] = place(long_point(hasard), bande() + large_point(hasard));
      const int rang = c.touche(x, y);
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
}

TEST(Cibles, NoShipNoTarget) {
  std::deque<vaisseau> aucun;
  const cibles c(aucun);
  for (const double v : {-20.0, 0.0, 13.0, 500.0, 989.0, 1010.0}) EXPECT_EQ(c.touche(v, v), -1);
  EXPECT_TRUE(c.aucun_retire());
  EXPECT_TRUE(c.retires().empty());
}

}  // namespace
}  // namespace jeu
