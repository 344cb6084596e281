// Memory running out at any allocation of a thread start, a registration, a
// session, an action or a tick: at most the session concerned ends, nothing
// is thrown at the listener or the simulation loop, and the world keeps its
// bookkeeping (no ship without a session, index and counts in step).
//
// The seam: this test program replaces operator new; on the armed thread,
// the n-th allocation from now throws std::bad_alloc, once.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <thread>

#include "geometry/cube_field.h"
#include "net/serveur.h"
#include "net/session.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/tick.h"
#include "commun/attente.h"
#include "support/monde_essai.h"
#include "support/reglage.h"

namespace {

thread_local long avant_echec = -1;  // -1: no allocation fails
thread_local bool echec_produit = false;

}  // namespace

void* operator new(std::size_t taille) {
  if (avant_echec >= 0 && avant_echec-- == 0) {
    echec_produit = true;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(taille == 0 ? 1 : taille)) return p;
  throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc; g++ does not know.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace jeu {
namespace {

using namespace std::chrono_literals;

// Arms the failure of the n-th allocation of this thread from now.
class panne {
 public:
  explicit panne(long n) {
    echec_produit = false;
    avant_echec = n;
  }
  ~panne() { avant_echec = -1; }
  panne(const panne&) = delete;
  panne& operator=(const panne&) = delete;
  // Whether the armed allocation was reached.
  static bool produite() { return echec_produit; }
};

// Sweeps the failure over every allocation of the code under test, from the
// first to past the last: essai(n) arms panne(n) around that code only and
// returns panne::produite(); the run where it is not reached ends the sweep.
template <class Essai>
int balaye(Essai essai) {
  long n = 0;
  while (essai(n)) ++n;
  return static_cast<int>(n);
}

std::string bilan(monde& m) {
  VerrouGarde garde(m.verrou_monde);
  return essai::incoherences(m) + (m.vaisseaux.empty() ? "" : " a ship was left behind");
}

TEST(PannesMemoire, AThreadThatCannotStartCostsOnlyItsConnection) {
  monde m(21);
  const int essais = balaye([&m](long n) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    bool lancee = false;
    bool atteinte = false;
    {
      panne p(n);
      lancee = demarre_session(m, fds[0]);
      atteinte = panne::produite();
    }
    if (lancee) {
      ::close(fds[1]);  // end of stream: the session ends by itself
    } else {
      EXPECT_EQ(fcntl(fds[0], F_GETFD), -1) << "the unserved socket is closed, at " << n;
      ::close(fds[1]);
    }
    return atteinte;
  });
  EXPECT_GT(essais, 0);
  EXPECT_TRUE(commun::attend_jusqua([&] { return bilan(m).empty(); }, 10s)) << bilan(m);
}

// A whole session on this thread: registration, a few requests, end of
// stream; whichever allocation fails, the session ends and its ship goes.
TEST(PannesMemoire, ASessionThatRunsOutOfMemoryLeavesNoShip) {
  monde m(22);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, configuration::nb_cubes);
  }
  const int essais = balaye([&m](long n) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    const std::string requetes =
        "GET STATUT\r\nPUT COULEUR VAISSEAU 7\r\nPUT ACTION TIRE\r\nGET VAISSEAUX\r\n"
        "GET BALLES\r\nGET CUBES\r\nGET STATUT\r\n";
    EXPECT_EQ(send(fds[1], requetes.data(), requetes.size(), 0),
              static_cast<ssize_t>(requetes.size()));
    shutdown(fds[1], SHUT_WR);
    bool atteinte = false;
    {
      panne p(n);
      client(m, fds[0]);
      atteinte = panne::produite();
    }
    ::close(fds[1]);
    EXPECT_EQ(bilan(m), "") << "allocation " << n << " failed";
    return atteinte;
  });
  EXPECT_GT(essais, 10);
}

// Actions and ticks in a crowded world: a failed shot or tick changes the
// world consistently or not at all, and the next tick goes on. PANNES_TOURS
// rounds (30), the world topped up to 60 ships before each.
TEST(PannesMemoire, ActionsAndTicksKeepTheWorldConsistent) {
  monde m(23);
  const auto incoherences = [&m] {
    VerrouGarde garde(m.verrou_monde);
    return essai::incoherences(m);
  };
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, configuration::nb_cubes);
    for (couleur_t c = 1; c <= 60; ++c) ASSERT_TRUE(cree_vaisseau(m, c));
    for (int k = 0; k < 40; ++k) {
      for (const vaisseau& v : m.vaisseaux) traite_action_joueur(m, essai::id_de(v), action::Tire);
      avance_monde(m);
    }
  }
  int pannes = 0;
  couleur_t suivante = 61;
  const long tours = test::reglage("PANNES_TOURS", 30);
  for (long tour = 0; tour < tours; ++tour) {
    {
      VerrouGarde garde(m.verrou_monde);
      while (m.vaisseaux.size() < 60 && cree_vaisseau(m, suivante++)) {
      }
    }
    balaye([&](long n) {
      bool atteinte = false;
      {
        VerrouGarde garde(m.verrou_monde);
        if (m.vaisseaux.empty()) return false;
        const identite tireur =
            essai::id_de(m.vaisseaux[static_cast<std::size_t>(tour) % m.vaisseaux.size()]);
        panne p(n);
        traite_action_joueur(m, tireur, action::Tire);
        atteinte = panne::produite();
      }
      EXPECT_EQ(incoherences(), "") << "shot, allocation " << n;
      return atteinte;
    });
    pannes += balaye([&](long n) {
      bool atteinte = false;
      {
        panne p(n);
        avance_monde_protege(m);
        atteinte = panne::produite();
      }
      EXPECT_EQ(incoherences(), "") << "tick " << tour << ", allocation " << n;
      return atteinte;
    });
  }
  EXPECT_GT(pannes, 0) << "no tick ever allocated: nothing was tested";
  RecordProperty("allocations_failed_in_ticks", pannes);
}

}  // namespace
}  // namespace jeu
