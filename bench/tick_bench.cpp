// Cost of one simulation tick and of ship spawning, on worlds built like the
// server's: 200 random cubes, ships placed by cree_vaisseau.
#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <random>
#include <vector>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"
#include "simulation/tick.h"
#include "support/tick_litteral.h"
#include "world/flotte.h"
#include "world/munitions.h"
#include "world/publication.h"

namespace {

using namespace jeu;

// Ships at random speeds and headings; bullets at random places inside the
// arena and outside the cubes, flying in random directions.
void peuple(monde& m, int navires, int nombre_balles) REQUIRES(m.verrou_monde) {
  m.cubes = cree_cubes(m, configuration::nb_cubes);
  std::mt19937 hasard(17);
  std::uniform_real_distribution<double> vitesse(configuration::vitesse_min, configuration::vitesse_max);
  std::uniform_real_distribution<double> angle(0.0, 6.28);
  std::uniform_real_distribution<double> position(5.0, 985.0);
  for (couleur_t c = 0; c < navires; ++c) {
    if (!cree_vaisseau(m, c)) break;
    m.vaisseaux.front().vitesse = vitesse(hasard);
  }
  while (static_cast<int>(m.balles.size()) < nombre_balles) {
    const balle b{position(hasard), position(hasard), angle(hasard), 0};
    if (!est_hors_jeu(m, b)) ajoute_balle(m, b);
  }
}

// The same world for both ticks: lists copied back, index and counts rebuilt.
void remet(monde& m, const std::deque<vaisseau>& vaisseaux, const std::vector<balle>& balles)
    REQUIRES(m.verrou_monde) {
  vide_vaisseaux(m);
  for (auto v = vaisseaux.rbegin(); v != vaisseaux.rend(); ++v) place_vaisseau(m, *v);
  vide_balles(m);
  for (auto b = balles.rbegin(); b != balles.rend(); ++b) ajoute_balle(m, *b);
}

// The arena packed with ships 18 apart on a triangular lattice wherever the
// spawn tests accept them (about 1,700 with the server's cubes).
void remplit_reseau(monde& m, couleur_t& couleur) REQUIRES(m.verrou_monde) {
  const double pas_y = 18.0 * std::sqrt(3.0) / 2.0 + 1e-9;
  for (int rang = 0; 9.0 + rang * pas_y < 980.0; ++rang) {
    for (double x = 9.0 + (rang % 2) * 9.0; x < 980.0; x += 18.0) {
      const double y = 9.0 + rang * pas_y;
      if (inter_cubes(x, y, get_cube_inter_segments(m, x, y)) || inter_vaisseau(m, x, y, -1) ||
          inside_cube(x, y, m.cubes)) {
        continue;
      }
      place_vaisseau(m, vaisseau{x, y, 0.0, 0.0, 5, couleur++, 0});
    }
  }
}

// One tick, indexed (range(2) = 0) or the reference one (range(2) = 1).
void BM_Tick(benchmark::State& etat) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  const bool reference = etat.range(2) == 1;
  const std::deque<vaisseau> vaisseaux = m.vaisseaux;
  const std::vector<balle> balles(m.balles.begin(), m.balles.end());
  for (auto _ : etat) {
    etat.PauseTiming();
    remet(m, vaisseaux, balles);
    etat.ResumeTiming();
    if (reference) {
      litteral::avance_monde(m);
    } else {
      avance_monde(m);
    }
  }
  // What one tick left, to read the figures: bullets that hit or left, ships destroyed.
  etat.counters["balles_restantes"] = static_cast<double>(m.balles.size());
  etat.counters["navires_restants"] = static_cast<double>(m.vaisseaux.size());
}
BENCHMARK(BM_Tick)
    ->ArgNames({"navires", "balles", "reference"})
    ->ArgsProduct({{10}, {100}, {0, 1}})
    ->ArgsProduct({{100}, {1000}, {0, 1}})
    ->ArgsProduct({{1000}, {1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The cost of scores and events: one tick with the table and the journal
// kept (comptes = 1), and with both at capacity 0 (comptes = 0: the calls
// are made, nothing is kept). Every bullet hit is counted and journalled.
void BM_TickComptes(benchmark::State& etat) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  if (etat.range(2) == 0) {
    m.scores.redimensionne(0);
    m.evenements.redimensionne(0);
  }
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  const std::deque<vaisseau> vaisseaux = m.vaisseaux;
  const std::vector<balle> balles(m.balles.begin(), m.balles.end());
  const std::uint64_t evenements_avant = m.evenements.prochain();
  for (auto _ : etat) {
    etat.PauseTiming();
    remet(m, vaisseaux, balles);
    etat.ResumeTiming();
    avance_monde(m);
  }
  etat.counters["evenements_par_tick"] =
      static_cast<double>(m.evenements.prochain() - evenements_avant) /
      static_cast<double>(etat.iterations());
}
BENCHMARK(BM_TickComptes)
    ->ArgNames({"navires", "balles", "comptes"})
    ->ArgsProduct({{1000}, {10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// One tick as the server runs it, without a spectator's stream (flux = 0)
// or with one (flux = 1): then the tick also publishes the frame the
// streams share, a copy of the lists (the streams encode it, outside the
// lock).
void BM_TickFlux(benchmark::State& etat) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  if (etat.range(2) == 1) m.flux.abonne();
  const std::deque<vaisseau> vaisseaux = m.vaisseaux;
  const std::vector<balle> balles(m.balles.begin(), m.balles.end());
  for (auto _ : etat) {
    etat.PauseTiming();
    remet(m, vaisseaux, balles);
    etat.ResumeTiming();
    const std::uint64_t evenements = m.evenements.prochain();
    avance_monde(m);
    if (m.flux.abonnes() > 0) publie_trame(m, evenements);
  }
}
BENCHMARK(BM_TickFlux)
    ->ArgNames({"navires", "balles", "flux"})
    ->ArgsProduct({{100}, {1000}, {0, 1}})
    ->ArgsProduct({{500}, {5000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The bound's worst case: an arena filled by spawning until it refuses
// (about 1,700 ships), every ship with max_balles_par_vaisseau bullets in flight.
void BM_TickArenePleineBorne(benchmark::State& etat) {
  monde m(5);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, 0, 0);
  couleur_t couleur = 0;
  for (int refus = 0; refus < 5; ++couleur) refus = cree_vaisseau(m, couleur) ? 0 : refus + 1;
  std::mt19937 hasard(5);
  std::uniform_real_distribution<double> angle(0.0, 6.28);
  std::uniform_real_distribution<double> ecart(-200.0, 200.0);
  // Bullets spread around their shooter, as if fired over the last ticks.
  for (const vaisseau& s : std::deque<vaisseau>(m.vaisseaux)) {
    for (int k = 0; k < configuration::max_balles_par_vaisseau;) {
      const balle b{s.x + ecart(hasard), s.y + ecart(hasard), angle(hasard), s.couleur};
      if (hors_arene(b) || est_hors_jeu(m, b)) continue;
      ajoute_balle(m, b);
      ++k;
    }
  }
  const std::deque<vaisseau> vaisseaux = m.vaisseaux;
  const std::vector<balle> balles(m.balles.begin(), m.balles.end());
  for (auto _ : etat) {
    etat.PauseTiming();
    remet(m, vaisseaux, balles);
    etat.ResumeTiming();
    avance_monde(m);
  }
  etat.counters["navires"] = static_cast<double>(vaisseaux.size());
  etat.counters["balles"] = static_cast<double>(balles.size());
}
BENCHMARK(BM_TickArenePleineBorne)->Unit(benchmark::kMillisecond);

// A successful spawn among `navires` ships (the new ship is removed again,
// outside the timing).
void BM_CreeVaisseauPeuple(benchmark::State& etat) {
  monde m(2);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), 0);
  const couleur_t nouveau = 1'000'000;
  for (auto _ : etat) {
    if (!cree_vaisseau(m, nouveau)) etat.SkipWithError("refused");
    etat.PauseTiming();
    detruit_vaisseau(m, identite{nouveau, m.vaisseaux.front().serie}, raison_depart::quitte);
    etat.ResumeTiming();
  }
  etat.counters["navires"] = static_cast<double>(m.vaisseaux.size());
}
BENCHMARK(BM_CreeVaisseauPeuple)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A spawn in an arena filled until five calls in a row were refused: nearly
// every call runs the whole bounded placement loop, with the lock held.
void BM_CreeVaisseauArenePleine(benchmark::State& etat) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, 0, 0);
  couleur_t couleur = 0;
  for (int refus = 0; refus < 5; ++couleur) refus = cree_vaisseau(m, couleur) ? 0 : refus + 1;
  const std::size_t navires = m.vaisseaux.size();
  const auto tirages = m.alea.tirages();
  for (auto _ : etat) cree_vaisseau(m, ++couleur);
  etat.counters["navires"] = static_cast<double>(navires);
  etat.counters["acceptes"] = static_cast<double>(m.vaisseaux.size() - navires);
  // One heading draw per call, then two draws per placement attempt.
  const double appels = static_cast<double>(etat.iterations());
  etat.counters["essais_par_appel"] =
      (static_cast<double>(m.alea.tirages() - tirages) - appels) / 2.0 / appels;
}
BENCHMARK(BM_CreeVaisseauArenePleine)->Unit(benchmark::kMillisecond);

// The densest world ships can form; the gaps left beside cubes still take a
// few newcomers.
void BM_CreeVaisseauArenePleineReseau(benchmark::State& etat) {
  monde m(4);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, 0, 0);
  couleur_t couleur = 0;
  remplit_reseau(m, couleur);
  const std::size_t navires = m.vaisseaux.size();
  for (auto _ : etat) cree_vaisseau(m, couleur++);
  etat.counters["navires"] = static_cast<double>(navires);
  etat.counters["acceptes"] = static_cast<double>(m.vaisseaux.size() - navires);
}
BENCHMARK(BM_CreeVaisseauArenePleineReseau)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
