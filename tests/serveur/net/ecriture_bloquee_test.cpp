// A reply that makes no progress, with the real server and a short delay:
// the session of a peer that does not read ends and its ship goes; a peer
// that reads slowly, or sends nothing for a long time, is kept.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "commun/attente.h"
#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

const std::string programme = SERVEUR_JEU_BINAIRE;

class Ecriture : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = port_libre();
    serveur_.emplace(programme, std::vector<std::string>{std::to_string(port_),
                                                         "--delai-ecriture", "1"});
    ASSERT_TRUE(attend_ecoute_de(serveur_->pid(), port_, 10s));
    observateur_.emplace(port_);
    ASSERT_EQ(observateur_->demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  }
  void TearDown() override {
    EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt) << "the server must still be running";
  }
  std::size_t vaisseaux() {
    const auto liste = demande_liste(*observateur_, "GET VAISSEAUX");
    return liste ? liste->size() : 999;
  }

  int port_ = 0;
  std::optional<processus> serveur_;
  std::optional<client_tcp> observateur_;
};

// Far more replies than the connection's buffers hold, never read.
TEST_F(Ecriture, APeerThatDoesNotReadEndsItsSession) {
  client_tcp sourd(port_);
  ASSERT_EQ(inscrit(sourd, 3), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_EQ(vaisseaux(), 1u);
  std::string requetes;
  for (int k = 0; k < 6000; ++k) requetes += "GET CUBES\r\n";  // about 20 MB of replies
  ASSERT_TRUE(sourd.envoie(requetes));
  EXPECT_TRUE(attend_jusqua([&] { return vaisseaux() == 0; }, 30s, 100ms))
      << "the ship of the stalled session is still there";
  // The colour is free again; the server serves on.
  client_tcp autre(port_);
  EXPECT_EQ(inscrit(autre, 3), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(champ_stats(*observateur_, "fermes_ecriture"), 1);
}

// One byte a second, for several times the delay, sending nothing
// meanwhile: what it has not read fits in the connection's buffers, so
// every write of the server goes through and nothing ends.
TEST_F(Ecriture, ASlowReaderIsNotCut) {
  client_tcp lent(port_);
  ASSERT_EQ(inscrit(lent, 4), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_TRUE(lent.envoie("GET TAILLE PLATEAU\r\nGET MAX PT VIE\r\nGET STATUT\r\n"));
  const std::string attendu = "PUT TAILLE PLATEAU 990 990\r\nPUT MAX PT VIE 5\r\nPUT STATUT vivant\r\n";
  std::string lu;
  for (int k = 0; k < 5; ++k) {
    std::this_thread::sleep_for(1s);
    char c;
    ASSERT_EQ(recv(lent.fd(), &c, 1, 0), 1) << k;
    lu += c;
  }
  while (lu.size() < attendu.size()) {
    const std::optional<std::string> l = lent.ligne();
    if (!l) break;
    lu += *l;
  }
  EXPECT_EQ(lu, attendu);
  EXPECT_EQ(lent.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(vaisseaux(), 1u);
  EXPECT_EQ(champ_stats(*observateur_, "fermes_ecriture"), 0);
}

}  // namespace
}  // namespace jeu::test
