// The server's listener and tick in one process, on a world kept full: after
// every tick, ships get their life points back, destroyed ones are replaced
// and bullets topped up (within the 25 ms pause), so that
// spectators' streams can be measured at a fixed size of world however the
// fight goes (real players would destroy each other within seconds).
//
//   serveur_peuple PORT SHIPS BULLETS
//
// The tick runs as serveur_jeu's does (real-time class where granted, the
// frame published when streams read it); GET STATS reports it.
#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "geometry/cube_field.h"
#include "net/ligne_commande.h"
#include "net/serveur.h"
#include "net/thread_detache.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"
#include "simulation/tick.h"
#include "world/munitions.h"

namespace {

using namespace jeu;

// Ships back to `navires` (colours 0x200000 + i), at random speeds; bullets
// up to `balles`, at random free places.
void remplit(monde& m, int navires, int balles, std::mt19937& hasard) REQUIRES(m.verrou_monde) {
  std::uniform_real_distribution<double> vitesse(0.5, configuration::vitesse_max);
  std::uniform_real_distribution<double> angle(0.0, 6.28);
  std::uniform_real_distribution<double> position(5.0, 985.0);
  // Hits cost no life here: a ship is destroyed only by five hits in one tick.
  for (vaisseau& v : m.vaisseaux) v.pt_vie = configuration::max_pt_vie;
  m.texte_vaisseaux.tout_change();
  for (couleur_t c = 0x200000; static_cast<int>(m.vaisseaux.size()) < navires; ++c) {
    if (cree_vaisseau(m, c)) m.vaisseaux.front().vitesse = vitesse(hasard);
    if (c > 0x200000 + 100 * navires) break;
  }
  for (int essais = 0; static_cast<int>(m.balles.size()) < balles && essais < 10 * balles;
       ++essais) {
    const balle b{position(hasard), position(hasard), angle(hasard),
                  static_cast<couleur_t>(0x200000 + hasard() % navires)};
    if (!est_hors_jeu(m, b)) ajoute_balle(m, b);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage : serveur_peuple PORT SHIPS BULLETS\n");
    return 1;
  }
  const int port = std::stoi(argv[1]);
  const int navires = std::stoi(argv[2]);
  const int balles = std::stoi(argv[3]);
  std::signal(SIGPIPE, SIG_IGN);
  static monde m(1);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, configuration::nb_cubes);
  }
  const auto tick = [navires, balles] {
    std::mt19937 hasard(3);
    for (;;) {
      avance_monde_protege(m);
      // The refill is taken from the pause, which is serveur_jeu's 25 ms.
      const auto reprise = std::chrono::steady_clock::now() + std::chrono::milliseconds(25);
      {
        VerrouGarde garde(m.verrou_monde);
        remplit(m, navires, balles, hasard);
      }
      std::this_thread::sleep_until(reprise);
    }
  };
  if (lance_thread_detache(tick, 1 << 20, 10) != 0 && lance_thread_detache(tick, 1 << 20) != 0) {
    std::fprintf(stderr, "serveur_peuple : pas de thread pour le tick\n");
    return 2;
  }
  options o{};
  o.port = port;
  serveur(m, o, file_attente());
}
