// Reads and writes that fail: interrupted calls and short writes change
// nothing a client sees; a reset or a broken pipe at any point ends only the
// session concerned, whose ship goes, while the others are served.
//
// The seam: this test program is linked with --wrap=recv, --wrap=send and
// --wrap=sendmsg, so every read and write of the server code comes here
// first; a plan per socket says which calls fail.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "geometry/cube_field.h"
#include "net/session.h"
#include "commun/attente.h"
#include "support/monde_essai.h"
#include "support/reglage.h"

namespace {

struct plan {
  std::atomic<bool> actif{false};
  std::atomic<bool> interruptions{false};  // every other call: EINTR; some sends: half written
  std::atomic<int> appels_avant_panne{-1};  // recv and send calls before the failure
  std::atomic<int> erreur{0};               // ECONNRESET (recv) or EPIPE (send) when it comes
  std::atomic<int> appels{0};
  std::atomic<const void*> proprietaire{nullptr};  // socket numbers are reused
};

std::array<plan, 4096> plans;

// -1 with errno set when the plan of `fd` says this call fails; 0 to go on,
// with *court telling a send to write only its first byte.
int panne_prevue(int fd, bool envoi, bool* court) {
  *court = false;
  if (fd < 0 || static_cast<std::size_t>(fd) >= plans.size()) return 0;
  plan& p = plans[static_cast<std::size_t>(fd)];
  if (!p.actif) return 0;
  const int rang = p.appels++;
  if (p.appels_avant_panne >= 0 && rang >= p.appels_avant_panne) {
    const int e = p.erreur.load();
    if ((e == ECONNRESET && !envoi) || (e == EPIPE && envoi)) {
      errno = e;
      return -1;
    }
  }
  if (p.interruptions && rang % 2 == 0) {
    errno = EINTR;
    return -1;
  }
  *court = p.interruptions && envoi;
  return 0;
}

}  // namespace

extern "C" {
ssize_t __real_recv(int fd, void* tampon, size_t taille, int options);
ssize_t __real_send(int fd, const void* octets, size_t taille, int options);
ssize_t __real_sendmsg(int fd, const msghdr* message, int options);

ssize_t __wrap_recv(int fd, void* tampon, size_t taille, int options) {
  bool court = false;
  if (panne_prevue(fd, false, &court) < 0) return -1;
  return __real_recv(fd, tampon, taille, options);
}

ssize_t __wrap_send(int fd, const void* octets, size_t taille, int options) {
  bool court = false;
  if (panne_prevue(fd, true, &court) < 0) return -1;
  return __real_send(fd, octets, court && taille > 1 ? taille / 2 : taille, options);
}

// A short write sends half of the first piece only.
ssize_t __wrap_sendmsg(int fd, const msghdr* message, int options) {
  bool court = false;
  if (panne_prevue(fd, true, &court) < 0) return -1;
  if (!court || message->msg_iovlen == 0 || message->msg_iov[0].iov_len < 2) {
    return __real_sendmsg(fd, message, options);
  }
  iovec moitie = message->msg_iov[0];
  moitie.iov_len /= 2;
  msghdr reduit = *message;
  reduit.msg_iov = &moitie;
  reduit.msg_iovlen = 1;
  return __real_sendmsg(fd, &reduit, options);
}
}

namespace jeu {
namespace {

using namespace std::chrono_literals;

// One session on its thread, over a socket pair whose server side follows
// `configure`'s plan; this side is the client (its calls are never failed).
class session_en_panne {
 public:
  template <class Configure>
  session_en_panne(monde& m, Configure configure) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    serveur_ = fds[0];
    client_ = fds[1];
    plans[static_cast<std::size_t>(client_)].actif = false;
    plan& p = plans[static_cast<std::size_t>(serveur_)];
    p.actif = false;
    p.proprietaire = this;
    p.appels = 0;
    p.appels_avant_panne = -1;
    p.erreur = 0;
    p.interruptions = false;
    configure(p);
    p.actif = true;
    fil_ = std::thread([&m, fd = serveur_, this] {
      client(m, fd);
      finie_ = true;
    });
  }
  ~session_en_panne() {
    ::shutdown(client_, SHUT_RDWR);
    fil_.join();
    plan& p = plans[static_cast<std::size_t>(serveur_)];
    if (p.proprietaire == this) p.actif = false;
    ::close(client_);
  }

  bool envoie(const std::string& octets) {
    return ::send(client_, octets.data(), octets.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(octets.size());
  }
  // Reads until `n` bytes came, the session closed, or 5 s passed.
  std::string lit(std::size_t n) {
    std::string recu;
    commun::attend_jusqua(
        [&] {
          char bloc[8192];
          const ssize_t k = ::recv(client_, bloc, sizeof bloc, MSG_DONTWAIT);
          if (k > 0) recu.append(bloc, static_cast<std::size_t>(k));
          return recu.size() >= n || k == 0;
        },
        5s, 1ms);
    return recu;
  }
  bool finie() const { return finie_; }
  const plan& son_plan() const { return plans[static_cast<std::size_t>(serveur_)]; }

 private:
  int serveur_ = -1;
  int client_ = -1;
  std::atomic<bool> finie_ = false;
  std::thread fil_;
};

std::size_t nombre_vaisseaux(monde& m) {
  VerrouGarde garde(m.verrou_monde);
  return m.vaisseaux.size();
}

TEST(PannesEntreesSorties, InterruptionsAndShortWritesChangeNothing) {
  monde m(31);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, configuration::nb_cubes);
  }
  session_en_panne s(m, [](plan& p) { p.interruptions = true; });
  const std::string echange =
      "PUT COULEUR VAISSEAU 9\r\nGET STATUT\r\nPUT ACTION GAUCHE\r\nGET MAX PT VIE\r\n";
  const std::string attendu =
      "VAISSEAU ENREGISTRE\r\nPUT STATUT vivant\r\nOK\r\nPUT MAX PT VIE 5\r\n";
  ASSERT_TRUE(s.envoie(echange));
  EXPECT_EQ(s.lit(attendu.size()), attendu);
  ASSERT_TRUE(s.envoie("GET CUBES\r\n"));
  const std::string cubes = s.lit(3000);
  EXPECT_EQ(cubes.rfind("PUT CUBES 200\r\n", 0), 0u);
  EXPECT_GT(cubes.size(), 3000u);
  EXPECT_FALSE(s.finie());
  EXPECT_EQ(nombre_vaisseaux(m), 1u);
  EXPECT_GT(s.son_plan().appels, 6) << "the plan was not followed";
}

// Sessions failing at random points, beside a witness that plays on: each
// failure ends its own session and removes its own ship, nothing else.
// PANNES_TOURS rounds (8) from seed PANNES_GRAINE (7).
TEST(PannesEntreesSorties, AResetOrABrokenPipeEndsOnlyItsSession) {
  monde m(32);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, configuration::nb_cubes);
  }
  session_en_panne temoin(m, [](plan&) {});
  ASSERT_TRUE(temoin.envoie("PUT COULEUR VAISSEAU 1\r\n"));
  ASSERT_EQ(temoin.lit(21), "VAISSEAU ENREGISTRE\r\n");

  const long graine = test::reglage("PANNES_GRAINE", 7);
  const long manches = test::reglage("PANNES_TOURS", 8);
  std::mt19937 hasard(static_cast<std::mt19937::result_type>(graine));
  const std::string partie =
      "PUT ACTION TIRE\r\nGET VAISSEAUX\r\nGET STATUT\r\nPUT ACTION ACCELERE\r\nGET BALLES\r\n";
  for (long manche = 0; manche < manches; ++manche) {
    SCOPED_TRACE("seed " + std::to_string(graine) + ", round " + std::to_string(manche));
    std::vector<std::unique_ptr<session_en_panne>> fautives;
    for (int k = 0; k < 6; ++k) {
      const int apres = std::uniform_int_distribution<int>(0, 12)(hasard);
      const int erreur = k % 2 == 0 ? ECONNRESET : EPIPE;
      fautives.push_back(std::make_unique<session_en_panne>(m, [&](plan& p) {
        p.appels_avant_panne = apres;
        p.erreur = erreur;
        p.interruptions = k % 3 == 0;
      }));
      session_en_panne& s = *fautives.back();
      s.envoie("PUT COULEUR VAISSEAU " + std::to_string(100 + k) + "\r\n");
      // Requests until the failure ends it. Batches sent together may be
      // read by one recv, so each waits for the session's next call: the
      // planned one is then always reached.
      for (int fois = 0; fois < 100 && !s.finie(); ++fois) {
        const int avant = s.son_plan().appels;
        if (!s.envoie(partie)) break;
        commun::attend_jusqua(
            [&] {
              s.lit(0);
              return s.finie() || s.son_plan().appels > avant;
            },
            5s, 1ms);
      }
    }
    for (auto& s : fautives) {
      EXPECT_TRUE(commun::attend_jusqua(
          [&] {
            s->lit(0);  // keep reading, or a session may wait to write
            return s->finie();
          },
          5s))
          << "a session planned to fail is still running: failure after "
          << s->son_plan().appels_avant_panne << " calls, " << s->son_plan().appels
          << " calls made, error " << s->son_plan().erreur;
    }
    ASSERT_TRUE(temoin.envoie("GET STATUT\r\n"));
    EXPECT_EQ(temoin.lit(19), "PUT STATUT vivant\r\n");
    VerrouGarde garde(m.verrou_monde);
    EXPECT_EQ(essai::incoherences(m), "");
    ASSERT_EQ(m.vaisseaux.size(), 1u) << "ships of failed sessions stayed";
    EXPECT_EQ(m.vaisseaux.front().couleur, 1);
  }
}

}  // namespace
}  // namespace jeu
