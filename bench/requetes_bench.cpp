// Time a play request holds the world lock (what every other client and the
// tick wait for), and its whole handling up to the reply queued for the
// socket (list replies by reference to the shared blocks; the send itself,
// a system call, is not timed here).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "geometry/cube_field.h"
#include "net/tampon_sortie.h"
#include "net/session_spectateur.h"
#include "net/traitement.h"
#include "simulation/apparition.h"
#include "simulation/tick.h"
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

// sous_verrou: only the part under the lock; otherwise the reply too.
void requete(benchmark::State& etat, const char* ligne, bool sous_verrou) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  joueur j(identite{m.vaisseaux.back().couleur, m.vaisseaux.back().serie}, false);
  tampon_sortie sortie;
  for (auto _ : etat) {
    benchmark::DoNotOptimize(j.traite_requete(m, ligne));
    if (!sous_verrou) {
      j.ajoute_reponse(sortie);
      benchmark::DoNotOptimize(sortie.taille());
      sortie.vide();
    }
  }
}

// A frame of the usual bot, player after player, in a world where every
// player polls: GET VAISSEAUX, GET BALLES, PUT ACTION GAUCHE, its reply
// included, and a tick once every player has played (40 frames a second
// each, 40 ticks a second). Ships turn between reads, so the shared lines
// are re-encoded where a player acted, and all of them after each tick.
void trame(benchmark::State& etat) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), static_cast<int>(etat.range(1)));
  std::vector<joueur> joueurs;
  for (const vaisseau& v : m.vaisseaux) joueurs.emplace_back(identite{v.couleur, v.serie}, false);
  tampon_sortie sortie;
  std::size_t i = 0;
  for (auto _ : etat) {
    joueur& j = joueurs[i];
    for (const char* ligne : {"GET VAISSEAUX\r", "GET BALLES\r", "PUT ACTION GAUCHE\r"}) {
      benchmark::DoNotOptimize(j.traite_requete(m, ligne));
      j.ajoute_reponse(sortie);
    }
    benchmark::DoNotOptimize(sortie.taille());
    sortie.vide();
    if (++i == joueurs.size()) {
      i = 0;
      avance_monde(m);
    }
  }
}
BENCHMARK(trame)->Args({1000, 1000})->Unit(benchmark::kMicrosecond);

// A spectator's request with range(0) colours in the scores table, each
// with some hits, all alive.
void spectateur_requete(benchmark::State& etat, const char* ligne, bool sous_verrou) {
  monde m(3);
  VerrouGarde garde(m.verrou_monde);
  peuple(m, static_cast<int>(etat.range(0)), 0);
  for (const vaisseau& v : m.vaisseaux) {
    m.scores.touche(v.couleur, v.couleur + 1, false, m.numero_tick);
    m.scores.tir(v.couleur);
  }
  spectateur s;
  tampon_sortie sortie;
  for (auto _ : etat) {
    benchmark::DoNotOptimize(s.traite_requete(m, ligne));
    if (!sous_verrou) {
      s.ajoute_reponse(sortie);
      benchmark::DoNotOptimize(sortie.taille());
    }
    sortie.vide();
  }
}
void BM_GetScores_SousVerrou(benchmark::State& e) { spectateur_requete(e, "GET SCORES\r", true); }
void BM_GetScores_Complete(benchmark::State& e) { spectateur_requete(e, "GET SCORES\r", false); }

#define REQUETE(nom, ligne)                                                               \
  void BM_##nom##_SousVerrou(benchmark::State& e) { requete(e, ligne "\r", true); }       \
  void BM_##nom##_Complete(benchmark::State& e) { requete(e, ligne "\r", false); }

REQUETE(GetVaisseaux, "GET VAISSEAUX")
REQUETE(GetBalles, "GET BALLES")
REQUETE(GetCubes, "GET CUBES")
REQUETE(GetStatut, "GET STATUT")
REQUETE(Gauche, "PUT ACTION GAUCHE")

#define CAS(nom, ...)                                                             \
  BENCHMARK(BM_##nom##_SousVerrou)->__VA_ARGS__->Unit(benchmark::kMicrosecond); \
  BENCHMARK(BM_##nom##_Complete)->__VA_ARGS__->Unit(benchmark::kMicrosecond)

CAS(GetVaisseaux, Args({100, 0})->Args({1000, 0}));
CAS(GetBalles, Args({1, 1000})->Args({1, 5000}));
CAS(GetCubes, Args({1, 0}));
CAS(GetStatut, Args({1000, 0}));
CAS(Gauche, Args({1000, 0}));
CAS(GetScores, Args({1000, 0}));

}  // namespace

BENCHMARK_MAIN();
