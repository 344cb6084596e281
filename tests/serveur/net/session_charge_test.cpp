// Clients that misbehave on purpose against the real program: one that never
// reads its replies must not stall anybody else, and one that sends an
// endless line must not grow the server's memory.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>
#include <string>
#include <thread>

#include "commun/attente.h"
#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

using horloge = std::chrono::steady_clock;

const std::string programme = SERVEUR_JEU_BINAIRE;

// "PUT STATUT ..." etc. within 2 s, as a client playing in real time needs.
std::optional<std::string> vite(client_tcp& c, std::string_view requete) {
  if (!c.envoie(std::string(requete) + "\r\n")) return std::nullopt;
  return c.ligne(2s);
}

// The position "x y" of the ship of `couleur` in a ship list, or "".
std::string position(const std::vector<std::string>& vaisseaux, std::int64_t couleur) {
  static const std::regex forme(R"((\d+ \d+) \S+ \d+ (-?\d+)\r\n)");
  for (const std::string& l : vaisseaux) {
    std::smatch m;
    if (std::regex_match(l, m, forme) && std::stoll(m[2]) == couleur) return m[1];
  }
  return "";
}

TEST(Charge, AClientThatReadsNothingStallsNobodyElse) {
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  client_tcp lent(port);
  client_tcp vif(port);
  ASSERT_EQ(inscrit(lent, 1), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_EQ(inscrit(vif, 2), "VAISSEAU ENREGISTRE\r\n");

  // Requests for the cubes (3 kB of reply each) until the server stops
  // reading them: its session is then stuck writing to a full socket.
  ASSERT_EQ(fcntl(lent.fd(), F_SETFL, fcntl(lent.fd(), F_GETFL) | O_NONBLOCK), 0);
  std::string lot;
  for (int k = 0; k < 4000; ++k) lot += "GET CUBES\r\n";
  std::size_t envoye = 0;
  std::size_t dans_le_lot = 0;
  auto dernier_progres = horloge::now();
  const auto limite = horloge::now() + 30s;
  while (horloge::now() - dernier_progres < 1s && horloge::now() < limite &&
         envoye < (std::size_t{64} << 20)) {
    const ssize_t n =
        send(lent.fd(), lot.data() + dans_le_lot, lot.size() - dans_le_lot, MSG_NOSIGNAL);
    if (n > 0) {
      envoye += static_cast<std::size_t>(n);
      dans_le_lot = (dans_le_lot + static_cast<std::size_t>(n)) % lot.size();
      dernier_progres = horloge::now();
    } else {
      ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << errno;
      std::this_thread::sleep_for(10ms);
    }
  }
  ASSERT_GE(horloge::now() - dernier_progres, 1s) << "the server kept reading " << envoye;
  int non_lus = 0;
  ASSERT_EQ(ioctl(lent.fd(), FIONREAD, &non_lus), 0);
  EXPECT_GT(non_lus, 10000) << "replies were written and left unread";

  // For 3 s the other player is answered at once, and the world goes on
  // (watched for longer if a busy machine kept it from showing by then).
  for (int k = 0; k < 30; ++k) ASSERT_EQ(vite(vif, "PUT ACTION ACCELERE"), "OK\r\n");
  const auto debut = horloge::now();
  bool balle_vue_bouger = false;
  bool vaisseau_vu_bouger = false;
  while (horloge::now() - debut < 3s ||
         (!(balle_vue_bouger && vaisseau_vu_bouger) && horloge::now() - debut < 20s)) {
    ASSERT_EQ(vite(vif, "GET STATUT"), "PUT STATUT vivant\r\n");
    ASSERT_EQ(vite(vif, "PUT ACTION TIRE"), "OK\r\n");
    const auto balles = demande_liste(vif, "GET BALLES");
    const auto vaisseaux = demande_liste(vif, "GET VAISSEAUX");
    ASSERT_TRUE(balles && vaisseaux);
    std::this_thread::sleep_for(250ms);
    // Ten ticks later every bullet has moved 35 units or is gone.
    const auto balles_apres = demande_liste(vif, "GET BALLES");
    const auto vaisseaux_apres = demande_liste(vif, "GET VAISSEAUX");
    ASSERT_TRUE(balles_apres && vaisseaux_apres);
    if (!balles->empty()) balle_vue_bouger |= *balles_apres != *balles;
    if (position(*vaisseaux_apres, 2) != position(*vaisseaux, 2)) {
      vaisseau_vu_bouger = true;
    } else {
      // Against an obstacle: try another heading.
      for (int k = 0; k < 10; ++k) ASSERT_EQ(vite(vif, "PUT ACTION GAUCHE"), "OK\r\n");
    }
  }
  EXPECT_TRUE(balle_vue_bouger);
  EXPECT_TRUE(vaisseau_vu_bouger);
  client_tcp nouveau(port);
  ASSERT_TRUE(nouveau.envoie("PUT COULEUR VAISSEAU 3\r\n"));
  EXPECT_EQ(nouveau.ligne(2s), "VAISSEAU ENREGISTRE\r\n");

  // The stalled session is still there; once its peer is gone, its write
  // fails, its ship goes, and the server carries on.
  auto vaisseaux = demande_liste(vif, "GET VAISSEAUX");
  ASSERT_TRUE(vaisseaux);
  EXPECT_NE(position(*vaisseaux, 1), "");
  const linger brutal{1, 0};
  setsockopt(lent.fd(), SOL_SOCKET, SO_LINGER, &brutal, sizeof brutal);
  lent.ferme();
  EXPECT_TRUE(attend_jusqua(
      [&] {
        vaisseaux = demande_liste(vif, "GET VAISSEAUX");
        return !vaisseaux || position(*vaisseaux, 1).empty();
      },
      20s, 50ms));
  ASSERT_TRUE(vaisseaux);
  EXPECT_EQ(vite(vif, "GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << serveur.erreur();
}

TEST(Charge, AnEndlessLineIsRefusedWithoutGrowingTheServer) {
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  client_tcp c(port);
  ASSERT_EQ(inscrit(c, 5), "VAISSEAU ENREGISTRE\r\n");

  const std::optional<long> pic_avant = memoire_ko(serveur.pid(), "VmHWM");
  ASSERT_TRUE(pic_avant);
  const std::string bloc(1 << 20, 'B');
  for (int k = 0; k < 48; ++k) ASSERT_TRUE(c.envoie(bloc));
  ASSERT_TRUE(c.envoie("\nGET STATUT\r\n"));
  EXPECT_EQ(c.ligne(10s), "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(c.ligne(), "PUT STATUT vivant\r\n");
  const std::optional<long> pic_apres = memoire_ko(serveur.pid(), "VmHWM");
  ASSERT_TRUE(pic_apres);
  EXPECT_LT(*pic_apres - *pic_avant, 16 * 1024) << "kB of peak resident memory gained";
  EXPECT_EQ(c.demande("GET MAX PT VIE"), "PUT MAX PT VIE 5\r\n");
}

TEST(Charge, AnOverlongLineIsLoggedCut) {
  const int port = port_libre();
  processus serveur(programme, {std::to_string(port), "-debug"});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  ASSERT_TRUE(serveur.attend_sortie("attente des clients\n", 5s));
  client_tcp c(port);
  // During registration (logged even without -debug), then while playing.
  std::string longue(1 << 20, 'A');
  longue[0] = 'P';
  ASSERT_TRUE(c.envoie(longue + "\n"));
  EXPECT_EQ(c.ligne(), "ERREUR SYNTAXE\r\n");
  ASSERT_EQ(inscrit(c, 5), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_TRUE(c.envoie(longue + "\n"));
  EXPECT_EQ(c.ligne(), "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(c.demande("GET MAX PT VIE"), "PUT MAX PT VIE 5\r\n");
  const std::string coupe = longue.substr(0, 4096) + "\n";
  EXPECT_TRUE(serveur.attend_sortie("attente des clients\nerreur client: " + coupe +
                                        "Oh, un nouveau client (5)\n"
                                        "Le client 5 fait une demande incorrecte : " + coupe +
                                        "Le client 5 demande le nombre max de pt vie\n",
                                    5s));
}

}  // namespace
}  // namespace jeu::test
