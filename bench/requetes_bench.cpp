// Time a play request holds the world lock: the whole reply is built under
// it (and sent after), so this is what every other client and the tick wait.
#include <benchmark/benchmark.h>

#include <random>

#include "geometry/cube_field.h"
#include "net/traitement.h"
#include "simulation/apparition.h"
#include "world/munitions.h"

namespace {

using namespace jeu;

void peuple(monde& m, int navires, int nombre_balles) REQUIRES(m.verrou_monde) {
  m.cubes = cree_cubes(m, configuration::nb_cubes);
  for (couleur_t c = 1; c <= navires; ++c) {
    if (!cree_vaisseau(m, c * 1000003)) break;
  }
  std::mt19937 hasard(5);
  std::uniform_real_distribution<double> position(5.0, 985.0);
  for (int k = 0; k < nombre_balles; ++k) {
    ajoute_balle(m, {position(hasard), position(hasard), 1.0, 0xff0000});
  }
}

void requete(benchmark::State& etat, const char* ligne) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  joueur j(identite{m.vaisseaux.back().couleur, m.vaisseaux.back().serie}, false);
  for (auto _ : etat) benchmark::DoNotOptimize(j.traite_requete(m, ligne));
}

void BM_GetVaisseaux(benchmark::State& etat) { requete(etat, "GET VAISSEAUX\r"); }
void BM_GetBalles(benchmark::State& etat) { requete(etat, "GET BALLES\r"); }
void BM_GetCubes(benchmark::State& etat) { requete(etat, "GET CUBES\r"); }
void BM_GetStatut(benchmark::State& etat) { requete(etat, "GET STATUT\r"); }
void BM_Gauche(benchmark::State& etat) { requete(etat, "PUT ACTION GAUCHE\r"); }

BENCHMARK(BM_GetVaisseaux)->Args({100, 0})->Args({1000, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetBalles)->Args({1, 1000})->Args({1, 5000})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetCubes)->Args({1, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetStatut)->Args({1000, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Gauche)->Args({1000, 0})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
