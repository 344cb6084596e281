// Which players shoot, and how their frames spread over the period.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "charge/repartition.h"

namespace jeu::charge {
namespace {

struct cas_tireurs {
  double pourcent;
  std::int64_t joueurs;
  std::int64_t tireurs;  // floor(joueurs * pourcent / 100)
};

class Tireurs : public testing::TestWithParam<cas_tireurs> {};

TEST_P(Tireurs, ExactlyThatShareOfEveryFirstN) {
  const cas_tireurs& c = GetParam();
  std::int64_t n = 0;
  std::int64_t dernier = -1;
  for (std::int64_t i = 0; i < c.joueurs; ++i) {
    if (!est_tireur(i, c.pourcent)) continue;
    ++n;
    // Evenly spread: never two shooters closer than 100 / pourcent - 1 apart.
    if (dernier >= 0) {
      EXPECT_GE(static_cast<double>(i - dernier), 100.0 / c.pourcent - 1) << i;
    }
    dernier = i;
  }
  EXPECT_EQ(n, c.tireurs);
}

INSTANTIATE_TEST_SUITE_P(Table, Tireurs,
                         testing::Values(cas_tireurs{10, 100, 10}, cas_tireurs{10, 30, 3},
                                         cas_tireurs{10, 9, 0}, cas_tireurs{10, 400, 40},
                                         cas_tireurs{33, 100, 33}, cas_tireurs{100, 7, 7},
                                         cas_tireurs{0.1, 2000, 2}, cas_tireurs{50, 5, 2}));

TEST(Tireurs, NoneAtZeroPercent) {
  for (std::int64_t i = 0; i < 1000; ++i) EXPECT_FALSE(est_tireur(i, 0)) << i;
}

// Whatever the number of players, their frames leave no long gap in the
// period: the golden ratio's multiples split it into gaps of at most three
// sizes, the largest below 3 / n of it.
TEST(Decalage, FirstNPlayersSpreadOverThePeriod) {
  constexpr std::int64_t periode = 25'000'000;
  for (const std::int64_t n : {2, 10, 100, 400, 1000}) {
    std::vector<std::int64_t> d;
    for (std::int64_t i = 0; i < n; ++i) {
      d.push_back(decalage_trames(i, periode));
      ASSERT_GE(d.back(), 0);
      ASSERT_LT(d.back(), periode);
    }
    std::sort(d.begin(), d.end());
    std::int64_t plus_grand = periode - d.back() + d.front();  // across the period's end
    for (std::size_t k = 1; k < d.size(); ++k) plus_grand = std::max(plus_grand, d[k] - d[k - 1]);
    EXPECT_LT(plus_grand, 3 * periode / n) << n << " players";
  }
}

TEST(Decalage, SamePlayerSameOffset) {
  EXPECT_EQ(decalage_trames(0, 1000), 0);
  EXPECT_EQ(decalage_trames(57, 25'000'000), decalage_trames(57, 25'000'000));
  EXPECT_EQ(decalage_trames(5, 1), 0);
}

}  // namespace
}  // namespace jeu::charge
