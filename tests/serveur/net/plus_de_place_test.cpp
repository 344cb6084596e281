// Room for players when descriptors run short, with the real server and a
// low descriptor limit: connections that do not register are closed, the
// one that has waited longest first, and a player who connects then is
// served; players are never closed for it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

const std::string programme = SERVEUR_JEU_BINAIRE;

TEST(PlusDePlace, TheOldestWaitingConnectionMakesRoom) {
  constexpr int limite = 48;
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port)}, limite);
  ASSERT_TRUE(attend_ecoute_de(serveur.pid(), port, 10s));
  std::vector<std::unique_ptr<client_tcp>> joueurs;
  for (int k = 0; k < 5; ++k) {
    joueurs.push_back(std::make_unique<client_tcp>(port));
    ASSERT_EQ(inscrit(*joueurs.back(), 100 + k), "VAISSEAU ENREGISTRE\r\n");
  }
  client_tcp spectateur(port);
  ASSERT_EQ(spectateur.demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  // Silent connections, each taken in (it answers), until the first closes.
  std::vector<std::unique_ptr<client_tcp>> muets;
  const auto nouveau_muet = [&] {
    muets.push_back(std::make_unique<client_tcp>(port));
    return muets.back()->demande("GET STATUT") == "ERREUR SYNTAXE\r\n";
  };
  while (muets.size() < 2 * limite && (muets.empty() || !muets.front()->attend_fermeture(20ms))) {
    ASSERT_TRUE(nouveau_muet()) << muets.size() << " silent connections";
  }
  ASSERT_LT(muets.size(), 2u * limite) << "the limit came and nothing was closed";
  EXPECT_LE(descripteurs_ouverts(serveur.pid()), limite);
  // The next ones push the oldest out in turn.
  ASSERT_TRUE(nouveau_muet());
  EXPECT_TRUE(muets[1]->attend_fermeture(5s));
  EXPECT_FALSE(muets[2]->attend_fermeture(100ms));
  // A player who connects now is served; the players stay.
  client_tcp joueur(port);
  EXPECT_EQ(inscrit(joueur, 1), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_TRUE(muets[2]->attend_fermeture(5s)) << "the next oldest made room for it";
  for (auto& j : joueurs) EXPECT_EQ(j->demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_GE(champ_stats(spectateur, "fermes_place"), 3);
  EXPECT_EQ(champ_stats(spectateur, "fermes_delai"), 0);
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();
}

}  // namespace
}  // namespace jeu::test
