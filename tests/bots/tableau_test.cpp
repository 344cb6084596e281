// The end-of-run table, from a run's figures and server scores written by hand.
#include "bots/tableau.h"

#include <gtest/gtest.h>

#include <regex>

namespace jeu::bots {
namespace {

class Tableau : public ::testing::Test {
 protected:
  Tableau() {
    b.duree = std::chrono::seconds(60);
    b.robots.push_back({0xff0000, comportement::tourelle, 2, 2, std::chrono::seconds(50), 40, 1000, ""});
    b.robots.push_back({0x00ff00, comportement::chasseur, 0, 3, {}, 0, 0, "refused"});
    b.robots.push_back({0x0000ff, comportement::chasseur, 1, 1, std::chrono::seconds(10), 20, 500, ""});
  }
  bilan_equipe b;
};

TEST_F(Tableau, RobotLinesTotalAndRoundTrips) {
  // 1 to 1,000 ms, in microseconds: the histogram keeps no list of them.
  for (std::uint64_t ms = 1; ms <= 1000; ++ms) b.allers_retours.enregistre(ms * 1000);
  const std::string t = tableau(b, nullptr);
  EXPECT_NE(t.find("\nff0000    tourelle      2       50.0       40     1000       -       -       -       -      -  \n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("\n00ff00    chasseur      0        0.0        0        0       -       -       -       -      -  refused\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("\ntotal                   3       60.0       60     1500       -       -       -       -      -\n"
                   "server scores: not available\n"),
            std::string::npos)
      << t;
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

// The server's order ranks the robots; a colour it does not list (and
// another player's line) adds nothing to the total.
TEST_F(Tableau, ServerScoresRankTheRobotsAndAddUp) {
  std::vector<jeu_client::score> scores(3);
  scores[0] = {.couleur = 0x0000ff, .victoires = 4, .morts = 1, .touches_donnees = 30, .touches_recues = 9, .tirs = 120};
  scores[1] = {.couleur = 0x123456, .victoires = 3, .morts = 0, .touches_donnees = 7, .touches_recues = 0, .tirs = 7};
  scores[2] = {.couleur = 0xff0000, .victoires = 1, .morts = 2, .touches_donnees = 10, .touches_recues = 12, .tirs = 0};
  const std::string t = tableau(b, &scores);
  const std::string attendu =
      "0000ff    chasseur      1       10.0       20      500       4       1      30       9   25.0  \n"
      "ff0000    tourelle      2       50.0       40     1000       1       2      10      12      -  \n"
      "00ff00    chasseur      0        0.0        0        0       -       -       -       -      -  refused\n"
      "total                   3       60.0       60     1500       5       3      40      21   33.3\n";
  EXPECT_NE(t.find("last failure\n" + attendu), std::string::npos) << t;
  EXPECT_EQ(t.find("not available"), std::string::npos) << t;
}

}  // namespace
}  // namespace jeu::bots
