// The registration deadline, with the real server and a short delay: a
// connection that has neither registered a ship nor become a spectator in
// time is closed, without a log line of its own and without touching the
// world; a registered one stays however long it is idle.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

const std::string programme = SERVEUR_JEU_BINAIRE;

class Delai : public ::testing::Test {
 protected:
  void demarre(int secondes) {
    port_ = port_libre();
    serveur_.emplace(programme, std::vector<std::string>{std::to_string(port_),
                                                         "--delai-inscription",
                                                         std::to_string(secondes)});
    ASSERT_TRUE(attend_ecoute_de(serveur_->pid(), port_, 10s));
  }
  void TearDown() override {
    if (!serveur_) return;
    EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt) << "the server must still be running";
  }

  int port_ = 0;
  std::optional<processus> serveur_;
};

TEST_F(Delai, ConnectionsThatDoNotRegisterAreClosed) {
  demarre(1);
  client_tcp joueur(port_);
  ASSERT_EQ(inscrit(joueur, 7), "VAISSEAU ENREGISTRE\r\n");
  client_tcp spectateur(port_);
  ASSERT_EQ(spectateur.demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  client_tcp muet(port_);
  client_tcp bavard(port_);
  ASSERT_EQ(bavard.demande("GET STATUT"), "ERREUR SYNTAXE\r\n");
  const auto debut = std::chrono::steady_clock::now();
  EXPECT_TRUE(muet.attend_fermeture(20s));
  EXPECT_TRUE(bavard.attend_fermeture(20s));
  EXPECT_GE(std::chrono::steady_clock::now() - debut, 500ms) << "closed long before the delay";

  // Registered and idle past the delay: still served.
  EXPECT_EQ(joueur.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(spectateur.demande("GET STATUT"), "PUT STATUT spectateur\r\n");
  EXPECT_EQ(demande_liste(spectateur, "GET VAISSEAUX")->size(), 1u) << "the world untouched";
  serveur_->collecte(100ms);
  EXPECT_EQ(serveur_->sortie(), "erreur client: GET STATUT\r\n") << "nothing more logged";
  EXPECT_EQ(champ_stats(spectateur, "fermes_delai"), 2);
  EXPECT_EQ(champ_stats(spectateur, "fermes_adresse"), 0);
  EXPECT_EQ(champ_stats(spectateur, "fermes_place"), 0);
  EXPECT_EQ(champ_stats(spectateur, "fermes_ecriture"), 0);
}

TEST_F(Delai, ARegistrationJustBeforeTheDeadlineIsKept) {
  demarre(3);
  client_tcp tardif(port_);
  client_tcp muet(port_);
  ASSERT_EQ(tardif.demande("GET STATUT"), "ERREUR SYNTAXE\r\n");
  std::this_thread::sleep_for(2s);
  ASSERT_EQ(inscrit(tardif, 9), "VAISSEAU ENREGISTRE\r\n");
  // The deadline passes: the other is closed, this one stays.
  EXPECT_TRUE(muet.attend_fermeture(20s));
  EXPECT_EQ(tardif.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  client_tcp apres(port_);
  EXPECT_EQ(inscrit(apres, 9), "ERREUR COULEUR UTILISEE\r\n") << "the ship is still there";
}

}  // namespace
}  // namespace jeu::test
