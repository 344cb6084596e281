// The spectator connection that reads GET STATS once a second.
#include <gtest/gtest.h>

#include <string>

#include "charge/sonde.h"

namespace jeu::charge {
namespace {

constexpr std::int64_t s = 1'000'000'000;
const std::string stats = "PUT STATS ticks_s=39.5 tick_us=80 balles=7\r\n";

class Sonde : public testing::Test {
 protected:
  // Connected at 0 and registered at 1 ns.
  void inscrit() {
    sonde_.connexion_etablie(0);
    EXPECT_EQ(ecrit(), "PUT SPECTATEUR\r\n");
    sonde_.recoit("SPECTATEUR ENREGISTRE\r\n", 1);
  }
  std::string ecrit() {
    std::string r;
    std::swap(r, sonde_.a_ecrire());
    return r;
  }
  sonde_stats sonde_;
};

TEST_F(Sonde, AsksOnceASecondAndKeepsEachReply) {
  EXPECT_EQ(sonde_.prochaine_demande(), std::nullopt);
  inscrit();
  EXPECT_EQ(sonde_.etat_courant(), sonde_stats::etat::active);
  EXPECT_EQ(ecrit(), "GET STATS\r\n") << "the first at once";
  EXPECT_EQ(sonde_.prochaine_demande(), 1 + s);
  sonde_.recoit(stats.substr(0, 15), 10);
  sonde_.recoit(stats.substr(15), 20);
  sonde_.demande(s);
  EXPECT_EQ(ecrit(), "") << "not yet due";
  sonde_.demande(1 + s);
  EXPECT_EQ(ecrit(), "GET STATS\r\n");
  sonde_.recoit("PUT STATS ticks_s=38.0\r\n", 2 * s);
  ASSERT_EQ(sonde_.releves().size(), 2u);
  EXPECT_EQ(sonde_.releves()[0].t, 20);
  EXPECT_DOUBLE_EQ(sonde_.releves()[0].stats.ticks_s, 39.5);
  EXPECT_EQ(sonde_.releves()[0].stats.balles, 7);
  EXPECT_DOUBLE_EQ(sonde_.releves()[1].stats.ticks_s, 38.0);
}

// A reply slower than a second: the second it missed is skipped, the
// requests never pile up.
TEST_F(Sonde, SkipsASecondWhileARequestIsUnanswered) {
  inscrit();
  ecrit();
  sonde_.demande(1 + s);
  EXPECT_EQ(ecrit(), "");
  sonde_.demande(1 + 3 * s);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(sonde_.prochaine_demande(), 1 + 4 * s);
  sonde_.recoit(stats, 3 * s + 5);
  sonde_.demande(1 + 4 * s);
  EXPECT_EQ(ecrit(), "GET STATS\r\n");
}

TEST_F(Sonde, AServerWithoutSpectatorsClosesIt) {
  sonde_.connexion_etablie(0);
  sonde_.recoit("-ERR unknown command 'PUT'\r\n", 1);
  EXPECT_EQ(sonde_.etat_courant(), sonde_stats::etat::fermee);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(sonde_.prochaine_demande(), std::nullopt);
  EXPECT_TRUE(sonde_.releves().empty());
}

TEST_F(Sonde, OtherLinesAndLongOnesAreNotReadings) {
  inscrit();
  ecrit();
  sonde_.recoit("ERREUR SYNTAXE\r\n" + std::string(5000, 'x') + "\r\n", 2);
  EXPECT_TRUE(sonde_.releves().empty());
  sonde_.recoit(stats, 3);
  EXPECT_EQ(sonde_.releves().size(), 1u);
}

TEST_F(Sonde, LostConnection) {
  inscrit();
  sonde_.perdue();
  EXPECT_EQ(sonde_.etat_courant(), sonde_stats::etat::fermee);
  EXPECT_EQ(sonde_.prochaine_demande(), std::nullopt);
}

}  // namespace
}  // namespace jeu::charge
