// jeu-bots against servers that misbehave: one that never answers, one
// whose connections are dropped, one that restarts; and two runs sharing a
// server.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "bots/equipe.h"
#include "bots/observateur.h"
#include "commun/attente.h"
#include "commun/processus.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

// A listening socket on 127.0.0.1 that the test drives itself: the kernel
// completes connections into its backlog whether or not they are accepted.
struct ecoute_locale {
  explicit ecoute_locale(int file) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t taille = sizeof a;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), taille), 0);
    EXPECT_EQ(listen(fd, file), 0);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &taille);
    port = ntohs(a.sin_port);
  }
  ~ecoute_locale() {
    for (const int c : clients) close(c);
    close(fd);
  }
  // The next connection, within 10 s; -1 if none came.
  int accepte() {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10000) != 1) return -1;
    const int c = accept(fd, nullptr, nullptr);
    if (c >= 0) clients.push_back(c);
    return c;
  }
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int port = 0;
  std::vector<int> clients;
};

// The bytes that come on `c` until they end with `fin`, within 10 s.
std::string lit_jusqua(int c, const std::string& fin) {
  std::string recu;
  while (!recu.ends_with(fin)) {
    pollfd p{c, POLLIN, 0};
    char bloc[512];
    if (poll(&p, 1, 10000) != 1) break;
    const ssize_t n = recv(c, bloc, sizeof bloc, 0);
    if (n <= 0) break;
    recu.append(bloc, static_cast<std::size_t>(n));
  }
  return recu;
}

void ecrit(int c, const std::string& texte) {
  EXPECT_EQ(send(c, texte.data(), texte.size(), MSG_NOSIGNAL), static_cast<ssize_t>(texte.size()));
}

std::vector<std::string> bots_sur(int port, std::vector<std::string> plus) {
  std::vector<std::string> a{"127.0.0.1", std::to_string(port), "--delai", "60"};
  a.insert(a.end(), plus.begin(), plus.end());
  return a;
}

// Every wait below is a minute (--delai 60): a jeu-bots that waits for the
// server before seeing Ctrl-C is far beyond the 10 s these tests allow.
TEST(Robustesse, CtrlCWhileTheServerNeverAnswersTheSpectator) {
  ecoute_locale serveur(16);
  processus bots(JEU_BOTS_BINAIRE, bots_sur(serveur.port, {"-n", "5", "-q"}));
  const int spectateur = serveur.accepte();
  ASSERT_GE(spectateur, 0);
  EXPECT_EQ(lit_jusqua(spectateur, "\r\n"), "PUT SPECTATEUR\r\n");
  kill(bots.pid(), SIGINT);
  EXPECT_EQ(bots.attend_fin(10s), 1) << bots.erreur();
  bots.collecte(100ms);
  EXPECT_NE(bots.erreur().find("stopped before playing"), std::string::npos) << bots.erreur();
}

TEST(Robustesse, CtrlCWhileNoRobotIsAnswered) {
  ecoute_locale serveur(16);
  processus bots(JEU_BOTS_BINAIRE, bots_sur(serveur.port, {"-n", "5", "--fils", "1", "-q"}));
  const int spectateur = serveur.accepte();
  ASSERT_GE(spectateur, 0);
  EXPECT_EQ(lit_jusqua(spectateur, "\r\n"), "PUT SPECTATEUR\r\n");
  ecrit(spectateur, "SPECTATEUR ENREGISTRE\r\n");
  EXPECT_EQ(lit_jusqua(spectateur, "\r\n"), "GET CUBES\r\n");
  ecrit(spectateur, "PUT CUBES 0\r\n");
  // All five robots register at once, on one thread, though none is answered.
  for (int i = 0; i < 5; ++i) {
    const int robot = serveur.accepte();
    ASSERT_GE(robot, 0) << i;
    EXPECT_TRUE(lit_jusqua(robot, "\r\n").starts_with("PUT COULEUR VAISSEAU ")) << i;
  }
  kill(bots.pid(), SIGINT);
  EXPECT_EQ(bots.attend_fin(10s), 1) << "no robot played";
  bots.collecte(100ms);
  EXPECT_TRUE(std::regex_search(bots.sortie(), std::regex(R"(\ntotal +0 )"))) << bots.sortie();
  EXPECT_NE(bots.erreur().find("no robot could play"), std::string::npos) << bots.erreur();
}

// A listener whose backlog is full and which never accepts: Linux drops
// the SYNs that come then, as a firewall dropping them would. The test
// checks that a connection attempt really goes unanswered before relying
// on it.
struct hote_muet {
  hote_muet() : ecoute(0) {
    for (int i = 0; i < 8 && !sature; ++i) {
      const int c = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(static_cast<std::uint16_t>(ecoute.port));
      connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
      ecoute.clients.push_back(c);
      pollfd p{c, POLLOUT, 0};
      sature = poll(&p, 1, 300) == 0;
    }
  }
  ecoute_locale ecoute;
  bool sature = false;
};

// Connections to 127.0.0.1:`port` waiting for the peer's SYN-ACK, as
// /proc/net/tcp lists them (state 02).
int syn_en_attente(int port) {
  std::ifstream tcp("/proc/net/tcp");
  std::string ligne;
  std::getline(tcp, ligne);
  int n = 0;
  char distante[64];
  char etat[8];
  while (std::getline(tcp, ligne)) {
    if (std::sscanf(ligne.c_str(), "%*s %*s %63s %7s", distante, etat) != 2) continue;
    const std::string d = distante;
    if (std::string(etat) == "02" && d.size() > 9 && std::stoi(d.substr(9), nullptr, 16) == port) ++n;
  }
  return n;
}

TEST(Robustesse, CtrlCWhileConnectionsAreDropped) {
  hote_muet muet;
  if (!muet.sature) GTEST_SKIP() << "this kernel completed every connection to a full backlog";
  // The test's own unanswered attempt ends; jeu-bots' is then the only one.
  close(muet.ecoute.clients.back());
  muet.ecoute.clients.pop_back();
  processus bots(JEU_BOTS_BINAIRE, bots_sur(muet.ecoute.port, {"-n", "5", "-q"}));
  // Its attempt is made once it is ready for Ctrl-C.
  ASSERT_TRUE(attend_jusqua([&] { return syn_en_attente(muet.ecoute.port) == 1; }, 10s));
  kill(bots.pid(), SIGINT);
  EXPECT_EQ(bots.attend_fin(10s), 1);
}

TEST(Robustesse, RobotsConnectWithoutHoldingTheirThread) {
  hote_muet muet;
  if (!muet.sature) GTEST_SKIP() << "this kernel completed every connection to a full backlog";
  bots::options_equipe o;
  o.port = muet.ecoute.port;
  o.nombre = 25;
  o.fils = 1;
  o.sortes = {bots::comportement::tourelle};
  o.delai = 60s;
  std::atomic<bool> arret{false};
  // Stopped after its first second: by then each robot has started its
  // connection, none waiting for another's.
  const bots::bilan_equipe b = bots::lance_equipe(o, {}, arret, [&](int, std::int64_t) { arret = true; });
  ASSERT_EQ(b.robots.size(), 25u);
  for (const bots::bilan_robot& r : b.robots) {
    EXPECT_EQ(r.connexions, 1);
    EXPECT_EQ(r.vies, 0);
  }
}

TEST(Robustesse, TheSpectatorComesBackWithTheServer) {
  const int port = port_libre();
  auto serveur = std::make_unique<processus>(SERVEUR_JEU_BINAIRE, std::vector{std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  bots::observateur o("127.0.0.1", port, 2s);
  const std::atomic<bool> arret{false};
  o.attend(bots::horloge::now() + 5s, arret);
  ASSERT_TRUE(o.cubes());
  EXPECT_EQ(o.cubes()->size(), 200u);
  serveur.reset();  // killed
  o.demande_stats();
  o.attend(bots::horloge::now() + 5s, arret);
  EXPECT_FALSE(o.stats());
  EXPECT_FALSE(o.derniere_erreur().empty());

  serveur = std::make_unique<processus>(SERVEUR_JEU_BINAIRE, std::vector{std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  EXPECT_TRUE(attend_jusqua(
      [&] {
        o.demande_stats();
        o.attend(bots::horloge::now() + 500ms, arret);
        return o.stats().has_value();
      },
      20s, 100ms))
      << o.derniere_erreur();
  EXPECT_EQ(o.stats()->spectateurs, 1);
  EXPECT_GE(o.connexions(), 2);
}

TEST(Robustesse, TwoRunsOnOneServerBothPlay) {
  const int port = port_libre();
  processus serveur(SERVEUR_JEU_BINAIRE, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  processus premier(JEU_BOTS_BINAIRE, {"127.0.0.1", std::to_string(port), "-n", "5", "-d", "8", "-q"});
  jeu_client::connexion spectateur = jeu_client::connexion::ouvre("127.0.0.1", port);
  spectateur.devient_spectateur();
  ASSERT_TRUE(attend_jusqua([&] { return spectateur.vaisseaux().size() >= 5; }, 10s, 20ms));
  // The same colours first: each robot of the second run moves on to another.
  processus second(JEU_BOTS_BINAIRE, {"127.0.0.1", std::to_string(port), "-n", "5", "-d", "3", "-q"});
  ASSERT_EQ(second.attend_fin(30s), 0) << second.erreur();
  second.collecte(100ms);
  const std::regex ligne_robot(R"(\n([0-9a-f]{6}) +(tourelle|chasseur) +(\d+) )");
  int robots = 0;
  const auto premieres = bots::couleurs_robots(5);
  for (auto it = std::sregex_iterator(second.sortie().begin(), second.sortie().end(), ligne_robot);
       it != std::sregex_iterator(); ++it) {
    ++robots;
    EXPECT_GT(std::stoi((*it)[3]), 0) << (*it)[0];
    EXPECT_EQ(std::count(premieres.begin(), premieres.end(), std::stoll((*it)[1], nullptr, 16)), 0)
        << (*it)[0];
  }
  EXPECT_EQ(robots, 5) << second.sortie();
  EXPECT_EQ(premier.attend_fin(30s), 0) << premier.erreur();
}

}  // namespace
}  // namespace jeu::test
