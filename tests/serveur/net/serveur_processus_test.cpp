// The program's command line and start-up, run as a real process.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
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
const std::string usage = "usage : " + programme + " [-debug] [port_number]\n";

// A socket bound to 0.0.0.0:port and listening, or -1 if the port is taken.
int occupe_port(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_ANY);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port));
  if (bind(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) != 0 || listen(s, 1) != 0) {
    close(s);
    return -1;
  }
  return s;
}

TEST(LigneCommande, BadCommandLinesPrintUsageOnStdoutAndExitOne) {
  const std::vector<std::vector<std::string>> mauvais{
      {"abc"},        {""},          {"12a"},        {" 4000"},     {"+4000"},
      {"-debug", "-debug"},          {"4000", "5000"}, {"1", "2", "3"},
      {"-debug", "abc"},             {"70000"},      {"-1"},        {"4000", "-debug", "x"}};
  for (const auto& args : mauvais) {
    processus p(programme, args);
    EXPECT_EQ(p.attend_fin(10s), 1) << ::testing::PrintToString(args);
    // Nothing else happened: no start-up line, nothing on stderr.
    EXPECT_EQ(p.sortie(), usage) << ::testing::PrintToString(args);
    EXPECT_EQ(p.erreur(), "") << ::testing::PrintToString(args);
  }
}

TEST(LigneCommande, DebugStartUpLinesInOrder) {
  const int port = port_libre();
  processus p(programme, {"-debug", std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  const std::string attendu =
      "creation des cubes\nlancement du serveur\ncreation de la socket principale\n"
      "binding et listening\nattente des clients\n";
  ASSERT_TRUE(p.attend_sortie(attendu, 5s)) << p.sortie();
  EXPECT_EQ(p.sortie().substr(0, attendu.size()), attendu);
  EXPECT_EQ(p.attend_fin(100ms), std::nullopt) << "the server keeps running";
}

TEST(LigneCommande, PortFormsAndPositions) {
  struct cas {
    std::vector<std::string> args;
    bool debug;
  };
  const int port = port_libre();
  char hexa[16];
  std::snprintf(hexa, sizeof hexa, "0x%04X", port);
  const std::string p_texte = std::to_string(port);
  for (const cas& c : std::vector<cas>{{{p_texte}, false},
                                       {{hexa}, false},
                                       {{p_texte, "-debug"}, true},
                                       {{"-debug", hexa}, true}}) {
    processus p(programme, c.args);
    ASSERT_TRUE(attend_ecoute(port, 10s)) << ::testing::PrintToString(c.args);
    if (c.debug) {
      // Written just after listen(), so maybe after the first connection.
      EXPECT_TRUE(p.attend_sortie("attente des clients\n", 5s))
          << ::testing::PrintToString(c.args) << p.sortie();
    } else {
      p.collecte(200ms);
      EXPECT_EQ(p.sortie(), "") << ::testing::PrintToString(c.args);
    }
    p.tue();
  }
}

TEST(LigneCommande, PortInUseIsFatalAfterStartUp) {
  int port = 0;
  int bloque = -1;
  while (bloque < 0) bloque = occupe_port(port = port_libre());
  processus p(programme, {std::to_string(port), "-debug"});
  EXPECT_EQ(p.attend_fin(10s), 2);
  close(bloque);
  // The cubes were built and the simulation started before the bind failed.
  EXPECT_EQ(p.sortie(),
            "creation des cubes\nlancement du serveur\ncreation de la socket principale\n"
            "binding et listening\n");
  EXPECT_EQ(p.erreur().rfind("Fatal error: exception ", 0), 0u) << p.erreur();
  EXPECT_NE(p.erreur().find("bind"), std::string::npos) << p.erreur();
  EXPECT_EQ(p.erreur().back(), '\n');
}

TEST(LigneCommande, MalformedOptionsAreNamedOnStderrBesideTheSameUsage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> mauvais{
      {{"--adresse"}, "serveur_jeu: --adresse attend une valeur\n"},
      {{"4000", "--adresse", "localhost"},
       "serveur_jeu: --adresse attend une adresse IPv4 ou IPv6, pas 'localhost'\n"},
      {{"--port=4000"}, "serveur_jeu: option inconnue : --port\n"},
  };
  for (const auto& [args, erreur] : mauvais) {
    processus p(programme, args);
    EXPECT_EQ(p.attend_fin(10s), 1) << ::testing::PrintToString(args);
    EXPECT_EQ(p.sortie(), usage) << ::testing::PrintToString(args);
    EXPECT_EQ(p.erreur(), erreur) << ::testing::PrintToString(args);
  }
}

// Port 0: the system chooses, and the server says which, once.
TEST(LigneCommande, PortZeroIsWrittenOnStderrOnce) {
  processus p(programme, {"0"});
  const std::string debut = "serveur_jeu: en ecoute sur le port ";
  ASSERT_TRUE(attend_jusqua(
      [&] {
        p.collecte(20ms);
        return p.erreur().find('\n', p.erreur().find(debut)) != std::string::npos;
      },
      10s))
      << p.erreur();
  const std::size_t ou = p.erreur().find(debut) + debut.size();
  const int port = std::stoi(p.erreur().substr(ou));
  ASSERT_GT(port, 0);
  EXPECT_EQ(ecoutent_sur(port), std::vector<pid_t>{p.pid()});
  client_tcp c(port);
  ASSERT_TRUE(c.connecte());
  EXPECT_EQ(inscrit(c, 12), "VAISSEAU ENREGISTRE\r\n");
  p.collecte(100ms);
  EXPECT_EQ(p.erreur().find(debut, ou), std::string::npos) << p.erreur();
  EXPECT_EQ(p.sortie(), "");
}

TEST(LigneCommande, AddressOptionListensOnThatAddressOnly) {
  const int port = port_libre();
  processus p(programme, {std::to_string(port), "--adresse", "127.0.0.2"});
  ASSERT_TRUE(attend_ecoute_de(p.pid(), port, 10s)) << p.erreur();
  client_tcp ailleurs("127.0.0.1", port);
  EXPECT_FALSE(ailleurs.connecte());
  client_tcp ici("127.0.0.2", port);
  ASSERT_TRUE(ici.connecte());
  EXPECT_EQ(inscrit(ici, 5), "VAISSEAU ENREGISTRE\r\n");
}

// Listening on "::" takes IPv6 clients and IPv4 ones alike.
TEST(LigneCommande, AnIpv6AddressTakesBothFamilies) {
  const int essai = socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 boucle{};
  boucle.sin6_family = AF_INET6;
  boucle.sin6_addr = in6addr_loopback;
  const bool ipv6 = bind(essai, reinterpret_cast<sockaddr*>(&boucle), sizeof boucle) == 0;
  close(essai);
  if (!ipv6) GTEST_SKIP() << "no IPv6 loopback on this machine";
  const int port = port_libre();
  processus p(programme, {"--adresse=::", std::to_string(port)});
  ASSERT_TRUE(attend_ecoute_de(p.pid(), port, 10s)) << p.erreur();
  client_tcp v6("::1", port);
  ASSERT_TRUE(v6.connecte());
  EXPECT_EQ(inscrit(v6, 6), "VAISSEAU ENREGISTRE\r\n");
  client_tcp v4("127.0.0.1", port);
  ASSERT_TRUE(v4.connecte());
  EXPECT_EQ(inscrit(v4, 4), "VAISSEAU ENREGISTRE\r\n");
}

TEST(LigneCommande, ASecondServerOnTheSamePortFails) {
  const int port = port_libre();
  processus premier(programme, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute_de(premier.pid(), port, 10s));
  processus second(programme, {std::to_string(port)});
  EXPECT_EQ(second.attend_fin(10s), 2);
  EXPECT_NE(second.erreur().find("Fatal error: exception bind"), std::string::npos)
      << second.erreur();
  EXPECT_EQ(ecoutent_sur(port), std::vector<pid_t>{premier.pid()});
}

// A server killed while it hosts connections leaves them in TIME_WAIT on
// its port; the next one binds it at once.
TEST(LigneCommande, ARestartTakesThePortBackAtOnce) {
  const int port = port_libre();
  {
    processus ancien(programme, {std::to_string(port)});
    ASSERT_TRUE(attend_ecoute_de(ancien.pid(), port, 10s));
    std::vector<std::unique_ptr<client_tcp>> clients;
    for (int k = 0; k < 4; ++k) {
      clients.push_back(std::make_unique<client_tcp>(port));
      ASSERT_TRUE(clients.back()->connecte());
      if (k % 2 == 0) {
        ASSERT_EQ(inscrit(*clients.back(), 20 + k), "VAISSEAU ENREGISTRE\r\n");
      }
    }
    ASSERT_EQ(clients[3]->demande("GET STATUT"), "ERREUR SYNTAXE\r\n");
    ancien.tue();
    // The server's side closed first: after the clients close, it waits.
    for (auto& c : clients) EXPECT_TRUE(c->attend_fermeture(5s));
  }
  ASSERT_TRUE(attend_jusqua([port] { return occupants_port(port).find("TIME_WAIT") !=
                                            std::string::npos; }, 5s))
      << "nothing waits on the port, the test shows nothing: " << occupants_port(port);
  processus nouveau(programme, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute_de(nouveau.pid(), port, 10s))
      << nouveau.erreur() << occupants_port(port);
  client_tcp c(port);
  EXPECT_EQ(inscrit(c, 20), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(nouveau.attend_fin(0ms), std::nullopt) << nouveau.erreur();
}

}  // namespace
}  // namespace jeu::test
