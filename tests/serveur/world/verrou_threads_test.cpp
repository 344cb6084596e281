// The world lock: mutual exclusion between sessions and the tick, and the
// tick's way in ahead of the sessions already waiting.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "commun/attente.h"
#include "world/verrou.h"

namespace jeu {
namespace {

using namespace std::chrono_literals;

TEST(Verrou, ExclutSessionsEtTickEntreEux) {
  Verrou v;
  long compte = 0;  // guarded by v, deliberately not atomic
  std::vector<std::thread> fils;
  for (int t = 0; t < 4; ++t) {
    fils.emplace_back([&, t] {
      for (int k = 0; k < 20000; ++k) {
        VerrouGarde garde(v, t == 0);
        ++compte;
      }
    });
  }
  for (auto& f : fils) f.join();
  EXPECT_EQ(compte, 4 * 20000);
}

// Whether thread `tid` of this process sleeps (blocked on a lock).
bool endormi(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string texte;
  std::getline(stat, texte);
  const auto fin = texte.rfind(')');
  return fin != std::string::npos && fin + 2 < texte.size() && texte[fin + 2] == 'S';
}

TEST(Verrou, LeTickPasseDevantLesSessionsQuiAttendent) {
  Verrou v;
  std::vector<int> ordre;  // who entered, in order; guarded by v
  std::vector<std::atomic<pid_t>> tids(6);
  std::vector<std::thread> fils;
  v.lock();
  const auto entre = [&](int qui, bool tick) {
    tids[static_cast<std::size_t>(qui)] = static_cast<pid_t>(::syscall(SYS_gettid));
    VerrouGarde garde(v, tick);
    ordre.push_back(qui);
  };
  const auto attend_bloque = [&](int qui) {
    ASSERT_TRUE(commun::attend_jusqua(
        [&] { return tids[static_cast<std::size_t>(qui)] != 0 && endormi(tids[static_cast<std::size_t>(qui)]); },
        10s));
  };
  for (int s = 0; s < 5; ++s) {  // five sessions wait, one after the other
    fils.emplace_back(entre, s, false);
    attend_bloque(s);
  }
  fils.emplace_back(entre, 5, true);  // then the tick
  attend_bloque(5);
  v.unlock();
  for (auto& f : fils) f.join();
  ASSERT_EQ(ordre.size(), 6u);
  // At most the one session already past the sessions' queue goes first.
  const auto rang_tick = std::find(ordre.begin(), ordre.end(), 5) - ordre.begin();
  EXPECT_LE(rang_tick, 1) << "the tick waited for " << rang_tick << " sessions";
}

}  // namespace
}  // namespace jeu
