// At most 64 connections of one address waiting to register, with the real
// server: the 65th is closed at once, another address is served, and
// players and spectators do not count.
#include <gtest/gtest.h>

#include <memory>
#include <string>
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

// A connection from `source` the server has taken in (it answers).
std::unique_ptr<client_tcp> en_attente(int port, const std::string& source) {
  auto c = std::make_unique<client_tcp>("127.0.0.1", port, source);
  EXPECT_TRUE(c->connecte());
  EXPECT_EQ(c->demande("GET STATUT"), "ERREUR SYNTAXE\r\n") << source;
  return c;
}

// Accepted by the system, then closed by the server without a reply.
bool fermee_sans_reponse(int port, const std::string& source) {
  client_tcp c("127.0.0.1", port, source);
  std::string reste;
  return c.connecte() && c.envoie("GET STATUT\r\n") && c.attend_fermeture(10s, &reste) &&
         reste.empty();
}

TEST(AttenteParAdresse, The65thWaitingConnectionOfAnAddressIsClosed) {
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute_de(serveur.pid(), port, 10s));
  std::vector<std::unique_ptr<client_tcp>> attente;
  for (int k = 0; k < 64; ++k) attente.push_back(en_attente(port, "127.0.0.1"));
  EXPECT_TRUE(fermee_sans_reponse(port, "127.0.0.1"));

  // Another address is served meanwhile, and waits in its own count.
  client_tcp autre("127.0.0.1", port, "127.0.0.2");
  EXPECT_EQ(inscrit(autre, 1), "VAISSEAU ENREGISTRE\r\n");
  auto autre_attente = en_attente(port, "127.0.0.2");

  // A player and a spectator leave the count: two places.
  EXPECT_EQ(inscrit(*attente[0], 2), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(attente[1]->demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  attente.push_back(en_attente(port, "127.0.0.1"));
  attente.push_back(en_attente(port, "127.0.0.1"));
  EXPECT_TRUE(fermee_sans_reponse(port, "127.0.0.1"));
  // A connection that goes away leaves its place too.
  attente.back()->ferme();
  EXPECT_TRUE(attend_jusqua(
      [&] {
        auto c = std::make_unique<client_tcp>("127.0.0.1", port, "127.0.0.1");
        if (c->demande("GET STATUT") != "ERREUR SYNTAXE\r\n") return false;
        attente.push_back(std::move(c));
        return true;
      },
      10s, 50ms));
  EXPECT_TRUE(fermee_sans_reponse(port, "127.0.0.1"));
  EXPECT_EQ(attente[0]->demande("GET STATUT"), "PUT STATUT vivant\r\n");
  // Three closed above, and maybe tries of the wait before a place came.
  EXPECT_GE(champ_stats(*attente[1], "fermes_adresse"), 3);
  EXPECT_EQ(champ_stats(*attente[1], "fermes_delai"), 0);
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt);
}

}  // namespace
}  // namespace jeu::test
