// The end-of-run table, from a run's figures written by hand.
#include "bots/tableau.h"

#include <gtest/gtest.h>

#include <regex>

namespace jeu::bots {
namespace {

TEST(Tableau, RobotLinesTotalAndRoundTrips) {
  bilan_equipe b;
  b.duree = std::chrono::seconds(60);
  b.robots.push_back({0xff0000, comportement::tourelle, 2, 2, std::chrono::seconds(50), 40, 1000, ""});
  b.robots.push_back({0x00ff00, comportement::chasseur, 0, 3, {}, 0, 0, "refused"});
  // 1 to 1,000 ms, in microseconds: the histogram keeps no list of them.
  for (std::uint64_t ms = 1; ms <= 1000; ++ms) b.allers_retours.enregistre(ms * 1000);
  const std::string t = tableau(b);
  EXPECT_NE(t.find("\nff0000    tourelle      2       50.0       40     1000  \n"), std::string::npos) << t;
  EXPECT_NE(t.find("\n00ff00    chasseur      0        0.0        0        0  refused\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("\ntotal                   2       50.0       40     1000\n"), std::string::npos) << t;
  // Percentiles within the histogram's 0.4 %, the maximum exact.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      t, m,
      std::regex(R"(\n1000 frames in 60\.0 s; round trip ms: p50 ([\d.]+)  p90 ([\d.]+)  p99 ([\d.]+)  max 1000\.00\n$)")))
      << t;
  EXPECT_NEAR(std::stod(m[1]), 500, 2);
  EXPECT_NEAR(std::stod(m[2]), 900, 4);
  EXPECT_NEAR(std::stod(m[3]), 990, 4);
}

}  // namespace
}  // namespace jeu::bots
