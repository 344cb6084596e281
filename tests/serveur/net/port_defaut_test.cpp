// The program started without a port listens on the default one, 12345.
// Tests of this file use that fixed port: CTest runs them one at a time
// (RESOURCE_LOCK, see tests/CMakeLists.txt), and they wait for the port
// when some other program on the machine holds it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commun/attente.h"
#include "commun/processus.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

const std::string programme = SERVEUR_JEU_BINAIRE;
constexpr int port_defaut = 12345;

// Whether a socket could bind 0.0.0.0:port and listen there just now
// (without SO_REUSEADDR: stricter than the server, which binds over
// connections in TIME_WAIT).
bool port_disponible(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_ANY);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool libre =
      bind(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) == 0 && listen(s, 1) == 0;
  close(s);
  return libre;
}

TEST(LigneCommande, NoArgumentListensOnDefaultPort) {
  // Another test run, or a server started by hand, may hold the port for a
  // while; so may connections of an earlier server in TIME_WAIT (60 s).
  if (!attend_jusqua([] { return port_disponible(port_defaut); }, 70s, 100ms)) {
    GTEST_SKIP() << "port " << port_defaut << " stayed in use for 70 s: "
                 << occupants_port(port_defaut);
  }
  processus p(programme, {});
  ASSERT_TRUE(attend_ecoute(port_defaut, 10s)) << p.erreur() << occupants_port(port_defaut);
  // The listener is this server, not a program that took the port meanwhile.
  EXPECT_EQ(ecoutent_sur(port_defaut), std::vector<pid_t>{p.pid()})
      << occupants_port(port_defaut);
  p.collecte(100ms);
  EXPECT_EQ(p.sortie(), "");
}

}  // namespace
}  // namespace jeu::test
