#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bots/robot.h"
#include "commun/histogramme.h"

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
  jeu_client::couleur_t couleur_base = 0xFF0000;  // the first robot's colour
};

// What the run measured.
struct bilan_equipe {
  std::vector<bilan_robot> robots;
  commun::histogramme allers_retours;  // every frame's round trip, in microseconds
  horloge::duration duree{};
};

// Colours each robot tries in turn when one is taken by another player.
inline constexpr int couleurs_par_robot = 8;

// `nombre` distinct colours: from the hue of `base` (the first colour, at
// full brightness), hues spread by the golden ratio.
std::vector<jeu_client::couleur_t> couleurs_robots(int nombre,
                                                   jeu_client::couleur_t base = 0xFF0000);

// The colours robot `i` of `nombre` tries, in order, taken from `toutes`
// (couleurs_robots(nombre * couleurs_par_robot, base)): every robot's first
// colour comes before anyone's second, and no two robots share one.
std::vector<jeu_client::couleur_t> couleurs_du_robot(
    int i, int nombre, const std::vector<jeu_client::couleur_t>& toutes);

// Once a second while running: robots with a ship, frames answered in that
// second.
using suivi = std::function<void(int en_jeu, std::int64_t trames)>;

// Runs the robots until the duration has passed or `arret` is set (seen
// within 100 ms, whatever the server does), then quits every ship.
// `cubes` are the arena's.
bilan_equipe lance_equipe(const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                          const std::atomic<bool>& arret, const suivi& chaque_seconde);

}  // namespace jeu::bots
