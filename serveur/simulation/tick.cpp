#include "simulation/tick.h"

#include <chrono>
#include <thread>

#include "simulation/balles.h"
#include "simulation/mouvement.h"
#include "world/publication.h"

namespace jeu {

void avance_monde(monde& m) {
  ++m.numero_tick;
  mise_a_jour_balles(m);
  mise_a_jour_vaisseaux(m);
}

bool avance_monde_protege(monde& m) {
  // The guard lives inside the try: unwinding releases the lock before the
  // handler runs.
  try {
    VerrouGarde garde(m.verrou_monde, true);
    const horloge::time_point debut = horloge::now();
    avance_monde(m);
    if (m.flux.abonnes() > 0) publie_trame(m, m.flux.fin_evenements_tick);
    m.flux.fin_evenements_tick = m.evenements.prochain();
    const horloge::time_point fin = horloge::now();
    m.ticks.note_tick(fin, std::chrono::duration_cast<std::chrono::microseconds>(fin - debut),
                      m.compteurs.requetes.load(std::memory_order_relaxed));
    return true;
  } catch (...) {
    return false;
  }
}

void mise_a_jour(monde& m) {
  const auto pause = std::chrono::milliseconds(static_cast<int>(configuration::periode_tick * 1000));
  for (;;) {
    avance_monde_protege(m);
    std::this_thread::sleep_for(pause);
  }
}

}  // namespace jeu
