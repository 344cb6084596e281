#pragma once

#include <chrono>
#include <thread>

namespace jeu::commun {

// Evaluates `condition` until it holds or `delai` has passed, pausing `pas`
// between tries; returns whether it held. Tests wait with this for what
// another thread or process does in its own time (a session seeing the end
// of its stream, a tick, a log line) instead of sleeping for a fixed time:
// on a busy machine a fixed sleep is sometimes too short.
template <class Condition>
bool attend_jusqua(Condition&& condition, std::chrono::milliseconds delai,
                   std::chrono::milliseconds pas = std::chrono::milliseconds(10)) {
  const auto fin = std::chrono::steady_clock::now() + delai;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= fin) return false;
    std::this_thread::sleep_for(pas);
  }
}

}  // namespace jeu::commun
