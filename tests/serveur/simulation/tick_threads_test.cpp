#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "support/monde_essai.h"
#include "simulation/tick.h"

namespace jeu {
namespace {

using essai::navire;
using namespace std::chrono_literals;

// Whether another thread gets m's lock within a few seconds. The helper is
// detached, so `m` must outlive it even when the lock never comes free.
bool verrou_obtenu(monde& m) {
  auto obtenu = std::make_shared<std::atomic<bool>>(false);
  std::thread([&m, obtenu] {
    VerrouGarde garde(m.verrou_monde);
    *obtenu = true;
  }).detach();
  for (auto fin = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < fin;) {
    if (*obtenu) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

// Whether, within five seconds, the head ship reaches x_vaisseau and the head
// bullet x_balle (polled under the lock).
bool avancent(monde& m, double x_vaisseau, double x_balle) {
  for (auto fin = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < fin;) {
    {
      VerrouGarde garde(m.verrou_monde);
      if (m.vaisseaux.front().x >= x_vaisseau && !m.balles.empty() &&
          m.balles.front().x >= x_balle) {
        return true;
      }
    }
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

TEST(MiseAJour, ThreadMovesShipsAndBulletsOnItsOwn) {
  // Never freed: the thread it is given to never ends.
  static monde* const m = new monde(5);
  {
    VerrouGarde garde(m->verrou_monde);
    place_vaisseau(*m, navire(100, 100, 1, 0.0, 3.0));
    essai::lance(*m, {{100.0, 500.0, 0.0, 1}});
  }
  std::thread([] { mise_a_jour(*m); }).detach();
  EXPECT_TRUE(avancent(*m, 130.0, 135.0));
  VerrouGarde garde(m->verrou_monde);
  EXPECT_EQ(m->vaisseaux[0].y, 100.0);
  // Whole ticks only: a ship moves 3.0 and a bullet 3.5 per tick.
  const double tours = (m->vaisseaux[0].x - 100.0) / 3.0;
  EXPECT_EQ(tours, std::floor(tours));
  ASSERT_EQ(m->balles.size(), 1u);
  EXPECT_EQ(m->balles[0].x, 100.0 + 3.5 * tours) << "bullets and ships advance together";
}

TEST(MiseAJour, AFailingTickReleasesTheLockAndTheThreadGoesOn) {
  static monde* const m = new monde(6);
  {
    VerrouGarde garde(m->verrou_monde);
    // A ship outside the arena makes the cube-edge lookup throw on every
    // ship step, after the ships before it have moved.
    essai::pose(*m, {navire(100, 100, 1, 0.0, 2.0), navire(5000, 100, 2)});
    essai::lance(*m, {{100.0, 500.0, 0.0, 1}});
  }
  EXPECT_FALSE(avance_monde_protege(*m));
  EXPECT_TRUE(verrou_obtenu(*m));
  std::thread([] { mise_a_jour(*m); }).detach();
  EXPECT_TRUE(avancent(*m, 120.0, 125.0));
  EXPECT_TRUE(verrou_obtenu(*m));
}

}  // namespace
}  // namespace jeu
