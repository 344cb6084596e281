// Clients that exhaust the server's descriptors, or reset their connections,
// must never stop it: service resumes once connections close.
#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <thread>
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

// Starts a connection without waiting for the handshake; -1 on failure.
int connexion_non_bloquante(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port));
  connect(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse);
  return s;
}

bool enregistre(client_tcp& c, int couleur, std::chrono::milliseconds delai) {
  return c.envoie("PUT COULEUR VAISSEAU " + std::to_string(couleur) + "\r\n") &&
         c.ligne(delai) == "VAISSEAU ENREGISTRE\r\n";
}

TEST(Ecoute, SurvivesRunningOutOfDescriptors) {
  constexpr int limite = 48;
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port)}, limite);
  ASSERT_TRUE(attend_ecoute_de(serveur.pid(), port, 10s));

  // Clients until the server has no descriptor left, as /proc shows: a
  // reply slow to come on a busy machine is waited for, not taken for
  // exhaustion.
  std::vector<std::unique_ptr<client_tcp>> servis;
  int couleur = 1;
  while (descripteurs_ouverts(serveur.pid()) < limite &&
         static_cast<int>(servis.size()) < limite) {
    auto c = std::make_unique<client_tcp>(port);
    ASSERT_TRUE(c->connecte());
    ASSERT_TRUE(enregistre(*c, couleur++, 10s)) << servis.size() << " clients served";
    servis.push_back(std::move(c));
  }
  ASSERT_EQ(descripteurs_ouverts(serveur.pid()), limite) << "the descriptor limit was never reached";
  EXPECT_GT(servis.size(), 20u);
  // Pile up more connections on top of the exhausted server.
  std::vector<int> en_trop;
  for (int k = 0; k < 50; ++k) en_trop.push_back(connexion_non_bloquante(port));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();

  for (int s : en_trop) close(s);
  servis.clear();
  // Colour 1 comes free once its session has seen the end of its stream.
  client_tcp nouveau(port);
  ASSERT_TRUE(nouveau.connecte());
  EXPECT_EQ(inscrit_des_que_libre(nouveau, 1, 20s), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(nouveau.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();
}

TEST(Ecoute, SurvivesABurstOfResetConnections) {
  const int port = port_libre();
  // Without the limit on connections waiting per address: the reset ones
  // count as waiting until their sessions see the reset, and the new
  // player comes from the same address.
  processus serveur(programme, {"--attente-max-par-adresse", "0", std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  const linger brutal{1, 0};
  for (int k = 0; k < 300; ++k) {
    const int s = connexion_non_bloquante(port);
    if (k % 2 == 0) send(s, "PUT COULEUR VAISSEAU 3\r\nGET CUBES\r\n", 35, MSG_NOSIGNAL);
    setsockopt(s, SOL_SOCKET, SO_LINGER, &brutal, sizeof brutal);
    close(s);
  }
  // Colour 3 comes free once every reset session that took it has ended.
  client_tcp nouveau(port);
  ASSERT_TRUE(nouveau.connecte());
  EXPECT_EQ(inscrit_des_que_libre(nouveau, 3, 20s), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(nouveau.demande("GET MAX PT VIE"), "PUT MAX PT VIE 5\r\n");
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();
}

// A control group limiting the number of threads of the processes put in it;
// removed on destruction (its processes must be gone by then).
class groupe_pids {
 public:
  groupe_pids() : chemin_("/sys/fs/cgroup/pids/serveur_jeu_essai_" + std::to_string(getpid())) {
    cree_ = mkdir(chemin_.c_str(), 0755) == 0;
  }
  ~groupe_pids() {
    if (cree_) rmdir(chemin_.c_str());
  }
  bool cree() const { return cree_; }
  bool ecrit(const std::string& fichier, const std::string& valeur) {
    std::ofstream f(chemin_ + "/" + fichier);
    f << valeur << std::flush;
    return f.good();
  }
  int lit(const std::string& fichier) {
    std::ifstream f(chemin_ + "/" + fichier);
    int valeur = -1;
    f >> valeur;
    return valeur;
  }
  // How many thread or process creations the limit has refused.
  int refus() {
    std::ifstream f(chemin_ + "/pids.events");
    std::string max;
    int valeur = -1;
    f >> max >> valeur;
    return valeur;
  }

 private:
  std::string chemin_;
  bool cree_ = false;
};

TEST(Ecoute, SurvivesSessionThreadsThatCannotStart) {
  groupe_pids groupe;
  if (!groupe.cree()) GTEST_SKIP() << "no writable pids control group on this machine";
  const int port = port_libre();
  {
    processus serveur(programme, {std::to_string(port)});
    // No probe connection: its session thread would be counted below.
    ASSERT_TRUE(attend_ecoute_de(serveur.pid(), port, 10s));
    ASSERT_TRUE(groupe.ecrit("cgroup.procs", std::to_string(serveur.pid())));
    constexpr int places = 4;
    ASSERT_TRUE(groupe.ecrit("pids.max", std::to_string(groupe.lit("pids.current") + places)));

    std::vector<std::unique_ptr<client_tcp>> servis;
    for (int k = 0; k < places; ++k) {
      servis.push_back(std::make_unique<client_tcp>(port));
      ASSERT_TRUE(enregistre(*servis.back(), 100 + k, 10s)) << k;
    }
    // No thread left for these: each connection is closed, the server goes on.
    for (int k = 0; k < 5; ++k) {
      client_tcp refuse(port);
      ASSERT_TRUE(refuse.connecte());
      refuse.envoie("PUT COULEUR VAISSEAU 7\r\n");
      EXPECT_TRUE(refuse.attend_fermeture(10s)) << k;
    }
    EXPECT_GE(groupe.refus(), 5) << "the thread limit was never hit";
    servis.clear();
    // Sessions end, their threads go: service resumes (until then a new
    // connection is closed at once, or colour 100 is still taken).
    EXPECT_TRUE(attend_jusqua(
        [port] {
          client_tcp nouveau(port);
          return nouveau.connecte() && enregistre(nouveau, 100, 2s);
        },
        30s, 100ms));
    EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();
    serveur.tue();
  }
}

}  // namespace
}  // namespace jeu::test
