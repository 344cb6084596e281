// Reading the server's "PUT STATS" line, and summing up tick rates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charge/stats_serveur.h"

namespace jeu::charge {
namespace {

TEST(LitStats, TheDocumentedExample) {
  const auto r = lit_stats(
      "PUT STATS ticks_s=39.8 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 "
      "balles=40 requetes_s=812");
  ASSERT_TRUE(r);
  EXPECT_DOUBLE_EQ(r->ticks_s, 39.8);
  EXPECT_EQ(r->tick_us, 85);
  EXPECT_EQ(r->tick_p99_us, 140);
  EXPECT_EQ(r->joueurs, 20);
  EXPECT_EQ(r->spectateurs, 1);
  EXPECT_EQ(r->vaisseaux, 18);
  EXPECT_EQ(r->balles, 40);
  EXPECT_EQ(r->requetes_s, 812);
}

TEST(LitStats, AnyOrderUnknownAndMalformedFieldsLeftOut) {
  const auto r = lit_stats("PUT STATS balles=3 futur=x ticks_s=40.0 joueurs=abc sans_egal");
  ASSERT_TRUE(r);
  EXPECT_DOUBLE_EQ(r->ticks_s, 40.0);
  EXPECT_EQ(r->balles, 3);
  EXPECT_EQ(r->joueurs, std::nullopt);
  EXPECT_EQ(r->tick_us, std::nullopt);
}

TEST(LitStats, NotAStatsLine) {
  for (const std::string ligne :
       {"", "PUT STATS", "PUT STATS balles=3", "PUT STATS ticks_s=", "PUT STATS ticks_s=39.x",
        "PUT STATUT vivant", "ERREUR SYNTAXE", "put stats ticks_s=39.8"}) {
    EXPECT_FALSE(lit_stats(ligne)) << ligne;
  }
}

struct cas_resume {
  std::vector<double> ticks;
  double plus_bas;
  double median;
};

class Resume : public testing::TestWithParam<cas_resume> {};

TEST_P(Resume, LowestAndMedian) {
  const auto r = resume(GetParam().ticks);
  ASSERT_TRUE(r);
  EXPECT_DOUBLE_EQ(r->plus_bas, GetParam().plus_bas);
  EXPECT_DOUBLE_EQ(r->median, GetParam().median);
}

INSTANTIATE_TEST_SUITE_P(Table, Resume,
                         testing::Values(cas_resume{{39.8}, 39.8, 39.8},
                                         cas_resume{{39.8, 38.0, 39.6}, 38.0, 39.6},
                                         cas_resume{{40.0, 39.0, 38.0, 39.5}, 38.0, 39.25}));

TEST(Resume, NothingFromNothing) { EXPECT_FALSE(resume({})); }

}  // namespace
}  // namespace jeu::charge
