// Whole sessions (`client`) run in this process over socket pairs, on a world
// built here, for what a TCP peer cannot make happen at a chosen moment:
// failed writes, and a colour taken over by another session. A peer that has
// gone fails only its own session, without any signal.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/session.h"
#include "simulation/balles.h"
#include "commun/attente.h"

namespace jeu {
namespace {

using namespace std::chrono_literals;
using horloge = std::chrono::steady_clock;

// One session on its own thread; this side of the pair is the client.
class session_locale {
 public:
  // SOCK_SEQPACKET keeps the boundaries of what each side sends.
  explicit session_locale(monde& m, int type = SOCK_STREAM) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, type, 0, fds), 0);
    fd_ = fds[1];
    demarre(m, fds[0]);
  }
  // A client that sent `octets` and closed its end before the session
  // started: the session reads them all, and every write it makes fails
  // (EPIPE), whatever the timing.
  session_locale(monde& m, std::string_view octets) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    EXPECT_EQ(send(fds[1], octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
    close(fds[1]);
    demarre(m, fds[0]);
  }
  ~session_locale() {
    ferme();
    fil_.join();
  }

  void envoie(std::string_view octets) {
    EXPECT_EQ(send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  }
  // The same, when the session may have closed its end already.
  void envoie_peut_etre(std::string_view octets) {
    send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL);
  }
  // The next line, LF included; nullopt on end of stream or after 5 s.
  std::optional<std::string> ligne() {
    const auto fin = horloge::now() + 5s;
    for (;;) {
      if (const auto lf = recu_.find('\n'); lf != std::string::npos) {
        std::string l = recu_.substr(0, lf + 1);
        recu_.erase(0, lf + 1);
        return l;
      }
      pollfd p{fd_, POLLIN, 0};
      if (horloge::now() > fin || poll(&p, 1, 100) < 0) return std::nullopt;
      if (!(p.revents & (POLLIN | POLLHUP))) continue;
      char bloc[4096];
      const ssize_t n = recv(fd_, bloc, sizeof bloc, 0);
      if (n <= 0) return std::nullopt;
      recu_.append(bloc, static_cast<std::size_t>(n));
    }
  }
  std::optional<std::string> demande(std::string_view requete) {
    envoie(std::string(requete) + "\r\n");
    return ligne();
  }
  // Whether `client` returned (and so closed its socket) within 10 s.
  bool attend_fin() {
    return commun::attend_jusqua([this] { return finie_.load(); }, 10s, 5ms);
  }
  void ferme() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  // From now on the session's writes fail.
  void refuse_les_reponses() { shutdown(fd_, SHUT_RD); }

 private:
  void demarre(monde& m, int fd) {
    fil_ = std::thread([&m, this, fd] {
      client(m, fd);
      finie_ = true;
    });
  }

  int fd_ = -1;
  std::string recu_;
  std::atomic<bool> finie_ = false;
  std::thread fil_;
};

std::size_t nombre_vaisseaux(monde& m) {
  VerrouGarde garde(m.verrou_monde);
  return m.vaisseaux.size();
}

// The registration reply cannot be delivered: the new ship must not stay
// behind without a session. The process gets no SIGPIPE (this test binary
// does not ignore it).
TEST(Session, UndeliveredRegistrationReplyRemovesTheNewShip) {
  monde m(14);
  // The client is gone before the session reads its line: the ship is
  // created, then the reply fails (a reply that went through would be
  // followed by the end of stream, which removes the ship too, and the
  // failed reply would go untested).
  session_locale s(m, "PUT COULEUR VAISSEAU 7\r\n");
  EXPECT_TRUE(s.attend_fin());
  EXPECT_EQ(nombre_vaisseaux(m), 0u);
  session_locale autre(m);
  EXPECT_EQ(autre.demande("PUT COULEUR VAISSEAU 7"), "VAISSEAU ENREGISTRE\r\n");
}

// Requests that arrive together are handled together, then their replies
// fail to leave: the session ends there, and the message after is not read.
TEST(Session, AFailedReplyEndsTheSessionAndRemovesItsShip) {
  monde m(15);
  session_locale s(m, SOCK_SEQPACKET);
  session_locale temoin(m);
  EXPECT_EQ(s.demande("PUT COULEUR VAISSEAU 5"), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(temoin.demande("PUT COULEUR VAISSEAU 6"), "VAISSEAU ENREGISTRE\r\n");
  s.refuse_les_reponses();
  s.envoie("GET STATUT\r\nPUT ACTION TIRE\r\n");
  s.envoie_peut_etre("PUT ACTION TIRE\r\n");
  EXPECT_TRUE(s.attend_fin());
  {
    VerrouGarde garde(m.verrou_monde);
    ASSERT_EQ(m.vaisseaux.size(), 1u);
    EXPECT_EQ(m.vaisseaux.front().couleur, 6);
    EXPECT_EQ(m.balles.size(), 1u) << "no line is read after the failed reply";
  }
  EXPECT_EQ(temoin.demande("GET STATUT"), "PUT STATUT vivant\r\n");
}

// Over a socket pair that keeps message boundaries, each message received
// is one write of the session: the replies to the requests that arrived
// together leave together, and a request is answered without waiting for
// the rest of a line cut in two.
TEST(Session, RequestsReceivedTogetherAreAnsweredWithOneWrite) {
  monde m(17);
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
  std::thread fil([&m, fd = fds[0]] { client(m, fd); });
  const int c = fds[1];
  const auto ecrit = [c](std::string_view octets) {
    EXPECT_EQ(send(c, octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  };
  const auto ecriture = [c]() -> std::string {
    pollfd p{c, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1) return "(nothing within 5 s)";
    char bloc[65536];
    const ssize_t n = recv(c, bloc, sizeof bloc, 0);
    return n <= 0 ? "(closed)" : std::string(bloc, static_cast<std::size_t>(n));
  };
  const std::vector<std::pair<std::string, std::string>> echanges{
      {"PUT COULEUR VAISSEAU 3\r\nGET STATUT\r\nPUT ACTION GAUCHE\r\nGET MAX PT VIE\r\n",
       "VAISSEAU ENREGISTRE\r\nPUT STATUT vivant\r\nOK\r\nPUT MAX PT VIE 5\r\n"},
      {"GET STATUT\r\n", "PUT STATUT vivant\r\n"},
      {"GET RAYON BALLE\r\nGET MAX", "PUT RAYON BALLE 4\r\n"},
      {" PT VIE\r\nGET BALLES\r\nnimporte\r\n",
       "PUT MAX PT VIE 5\r\nPUT BALLES 0\r\nERREUR SYNTAXE\r\n"},
      {"GET STATUT\r\nPUT ACTION QUITTE\r\nGET STATUT\r\n", "PUT STATUT vivant\r\nOK\r\n"},
  };
  for (const auto& [envoi, reponse] : echanges) {
    ecrit(envoi);
    EXPECT_EQ(ecriture(), reponse) << "after sending " << envoi;
  }
  EXPECT_EQ(ecriture(), "(closed)");
  fil.join();
  close(c);
  EXPECT_EQ(nombre_vaisseaux(m), 0u);
}

// A's ship is destroyed and B registers the same colour: A's requests and
// A's departure leave B's ship alone.
TEST(Session, OnlyTheRegisteredShipIsEverTouched) {
  monde m(16);
  session_locale a(m);
  EXPECT_EQ(a.demande("PUT COULEUR VAISSEAU 5"), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(a.demande("PUT COULEUR VAISSEAU 5"), "ERREUR SYNTAXE\r\n") << "registered already";
  {
    VerrouGarde garde(m.verrou_monde);
    detruit_vaisseau(m, identite{5, m.vaisseaux.front().serie}, raison_depart::quitte);  // as a last hit does
  }
  EXPECT_EQ(a.demande("GET STATUT"), "PUT STATUT mort\r\n");
  session_locale b(m);
  EXPECT_EQ(b.demande("PUT COULEUR VAISSEAU 5"), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(a.demande("GET STATUT"), "PUT STATUT mort\r\n");
  EXPECT_EQ(b.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(a.demande("PUT ACTION ACCELERE"), "OK\r\n");
  EXPECT_EQ(a.demande("PUT ACTION GAUCHE"), "OK\r\n");
  EXPECT_EQ(a.demande("PUT ACTION TIRE"), "OK\r\n");
  EXPECT_EQ(a.demande("GET VAISSEAUX"), "PUT VAISSEAUX 1\r\n");
  const std::optional<std::string> ligne_b = a.ligne();
  ASSERT_TRUE(ligne_b);
  EXPECT_NE(ligne_b->find(" 5 5\r\n"), std::string::npos) << *ligne_b;
  {
    VerrouGarde garde(m.verrou_monde);
    ASSERT_EQ(m.vaisseaux.size(), 1u);
    EXPECT_EQ(m.vaisseaux.front().vitesse, 0.0);
    EXPECT_TRUE(m.balles.empty());
  }
  a.ferme();
  EXPECT_TRUE(a.attend_fin());
  EXPECT_EQ(nombre_vaisseaux(m), 1u) << "A's disconnection must not remove B's ship";
  EXPECT_EQ(b.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(b.demande("PUT ACTION QUITTE"), "OK\r\n");
  EXPECT_TRUE(b.attend_fin());
  EXPECT_EQ(nombre_vaisseaux(m), 0u);
}

}  // namespace
}  // namespace jeu
