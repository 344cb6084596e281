// One measuring window: rates, frame percentiles and the probe's readings
// that fall within it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "charge/fenetre.h"

namespace jeu::charge {
namespace {

constexpr std::int64_t s = 1'000'000'000;
constexpr std::int64_t ms = 1'000'000;

sonde_stats::releve lecture(std::int64_t t, double ticks, std::optional<std::int64_t> balles) {
  releve_stats r;
  r.ticks_s = ticks;
  r.balles = balles;
  return {t, r};
}

TEST(Fenetre, RatesPercentilesAndTheReadingsWithinIt) {
  const std::vector<sonde_stats::releve> releves = {
      lecture(1 * s, 20.0, 1),         // before the window: its index is left out
      lecture(11 * s, 39.8, 10),       lecture(12 * s, 38.5, 30),
      lecture(13 * s, 39.6, std::nullopt), lecture(14 * s, 39.9, 20),
      lecture(16 * s, 10.0, 99),       // after the close
  };
  const fenetre f(10 * s, std::nullopt, 1);
  comptes m;
  m.trames_demandees = 400;
  for (int i = 1; i <= 390; ++i) m.trame.enregistre(static_cast<std::uint64_t>(i) * ms / 10);
  m.sans_reponse = 2;
  const mesure r = f.ferme(14 * s, m, releves);
  EXPECT_DOUBLE_EQ(r.duree, 4.0);
  EXPECT_DOUBLE_EQ(r.trames_demandees_s, 100.0);
  EXPECT_DOUBLE_EQ(r.trames_servies_s, 97.5);
  EXPECT_EQ(r.trames, 390u);
  EXPECT_NEAR(static_cast<double>(r.p50), 19.5 * ms, 0.004 * 19.5 * ms);
  EXPECT_NEAR(static_cast<double>(r.p99), 38.7 * ms, 0.004 * 38.7 * ms);
  EXPECT_EQ(r.max, 39 * ms);
  ASSERT_TRUE(r.ticks);
  EXPECT_DOUBLE_EQ(r.ticks->plus_bas, 38.5);
  EXPECT_DOUBLE_EQ(r.ticks->median, (39.6 + 39.8) / 2);
  EXPECT_EQ(r.balles, 20);  // of 10, 30, 20
  EXPECT_EQ(r.erreurs, 2u);
  EXPECT_FALSE(r.cpu_serveur) << "no server process given";
  EXPECT_FALSE(r.rss_ko);
}

TEST(Fenetre, NothingReadNothingKnown) {
  const fenetre f(0, std::nullopt, 0);
  const mesure r = f.ferme(2 * s, comptes{}, {});
  EXPECT_FALSE(r.ticks);
  EXPECT_FALSE(r.balles);
  EXPECT_EQ(r.trames, 0u);
  EXPECT_EQ(r.p99, 0u);
}

TEST(Fenetre, AProcessGivesItsCpuAndMemory) {
  const fenetre f(0, getpid(), 0);
  const mesure r = f.ferme(1 * s, comptes{}, {});
  ASSERT_TRUE(r.cpu_serveur);
  EXPECT_GE(*r.cpu_serveur, 0.0);
  ASSERT_TRUE(r.rss_ko);
  EXPECT_GT(*r.rss_ko, 0);
  EXPECT_GE(r.cpu_charge, 0.0);
}

}  // namespace
}  // namespace jeu::charge
