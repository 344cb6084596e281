#include "simulation/tick.h"

#include <chrono>
#include <thread>

namespace jeu {

void mise_a_jour(monde& m) {
  const auto pause = std::chrono::milliseconds(static_cast<int>(configuration::periode_tick * 1000));
  for (;;) {
    {
      VerrouGarde garde(m.verrou_monde);
    }
    std::this_thread::sleep_for(pause);
  }
}

}  // namespace jeu
