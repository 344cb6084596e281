#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bots/robot.h"

namespace jeu::bots {

struct options_equipe {
  std::string hote = "127.0.0.1";
  int port = 12345;
  int nombre = 50;
  std::vector<comportement> sortes;  // robot i behaves as sortes[i % size]
  double frequence = 20;             // frames per second and robot
  std::chrono::milliseconds duree{0};  // 0: until arret is set
  int fils = 2;                      // threads driving the robots
  std::chrono::milliseconds delai{5000};  // longest wait for the server
};

// What the run measured.
struct bilan_equipe {
  std::vector<bilan_robot> robots;
  std::vector<horloge::duration> allers_retours;  // every frame's round trip
  horloge::duration duree{};
};

// The colour of robot i: hues spread by the golden ratio, all distinct.
std::vector<jeu_client::couleur_t> couleurs_robots(int nombre);

// Once a second while running: robots with a ship, frames answered in that
// second.
using suivi = std::function<void(int en_jeu, std::int64_t trames)>;

// Runs the robots until the duration has passed or `arret` is set, then
// quits every ship. `cubes` are the arena's.
bilan_equipe lance_equipe(const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                          const std::atomic<bool>& arret, const suivi& chaque_seconde);

}  // namespace jeu::bots
