// The tick history behind "GET STATS": rate, last duration, p99, request rate.
#include <gtest/gtest.h>

#include "world/mesures.h"

namespace jeu {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(Mesures, RatesOverTheLastSecondAndP99OfTheLastThousandTicks) {
  mesures t;
  const horloge::time_point debut{};
  EXPECT_EQ(t.calcule(debut, 0).ticks_par_seconde, 0.0);
  EXPECT_EQ(t.calcule(debut, 5).requetes_par_seconde, 0);

  // 1,200 ticks 25 ms apart, lasting 1..1,200 us, 100 requests per tick.
  horloge::time_point fin = debut;
  for (int i = 1; i <= 1200; ++i) {
    fin = debut + milliseconds(25 * i);
    t.note_tick(fin, microseconds(i), 100u * static_cast<unsigned>(i));
  }
  mesures::apercu a = t.calcule(fin + milliseconds(10), 120000);
  EXPECT_DOUBLE_EQ(a.ticks_par_seconde, 40.0);
  EXPECT_EQ(a.duree_tick_us, 1200);
  // The last 1,000 ticks lasted 201..1,200 us: the 990th smallest is 1,190.
  EXPECT_EQ(a.p99_tick_us, 1190);
  // Counted from the last tick before the last second (1,010 ms earlier).
  EXPECT_EQ(a.requetes_par_seconde, 3960);  // 4,000 in 1.010 s

  // Requests keep coming while the ticks stop: no tick in the last second,
  // the request rate still counts them.
  a = t.calcule(fin + milliseconds(2000), 120000 + 4000);
  EXPECT_EQ(a.ticks_par_seconde, 0.0);
  EXPECT_EQ(a.duree_tick_us, 1200);
  EXPECT_NEAR(a.requetes_par_seconde, 2000.0, 1.0);

  // A slow tick shows as the last and, with over 1 % of slow ones, in the p99.
  for (int i = 0; i < 11; ++i) {
    fin += milliseconds(25);
    t.note_tick(fin, microseconds(50000), 120000);
  }
  a = t.calcule(fin, 120000);
  EXPECT_EQ(a.duree_tick_us, 50000);
  EXPECT_EQ(a.p99_tick_us, 50000);
}

TEST(Mesures, FewTicksSoFar) {
  mesures t;
  const horloge::time_point debut{};
  t.note_tick(debut + milliseconds(25), microseconds(7), 3);
  mesures::apercu a = t.calcule(debut + milliseconds(25), 3);
  EXPECT_EQ(a.ticks_par_seconde, 1.0);
  EXPECT_EQ(a.duree_tick_us, 7);
  EXPECT_EQ(a.p99_tick_us, 7);
  t.note_tick(debut + milliseconds(75), microseconds(9), 13);
  a = t.calcule(debut + milliseconds(125), 23);
  EXPECT_DOUBLE_EQ(a.ticks_par_seconde, 20.0);  // one gap of 50 ms
  EXPECT_EQ(a.p99_tick_us, 9);
  EXPECT_EQ(a.requetes_par_seconde, 200);  // 20 requests in the 100 ms since the first tick
}

}  // namespace
}  // namespace jeu
