// The program's command line and start-up, run as a real process.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commun/processus.h"

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

}  // namespace
}  // namespace jeu::test
