#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>
#include <system_error>
#include <thread>

#include "geometry/cube_field.h"
#include "net/ligne_commande.h"
#include "net/serveur.h"
#include "net/ecriture.h"
#include "net/thread_detache.h"
#include "persistance/base_scores.h"
#include "persistance/sauvegarde.h"
#include "simulation/tick.h"
#include "commun/limite_fichiers.h"

namespace {

constexpr std::size_t pile_tick = 1 << 20;
// Low enough not to compete with the system's own real-time threads.
constexpr int priorite_tick = 10;
// Sessions inherit the listener's nice value: this far below the tick.
constexpr int increment_nice_sessions = 10;

[[noreturn]] void erreur_fatale(const char* description) {
  std::fflush(stdout);
  std::fprintf(stderr, "Fatal error: exception %s\n", description);
  std::fflush(stderr);
  std::_Exit(2);
}

// Batches of the scores' database: a process killed loses at most this.
constexpr std::chrono::milliseconds periode_sauvegarde{500};

// With a database, SIGINT and SIGTERM write the last batch before the
// process ends; blocked here, before any thread exists, so that only the
// thread started by attend_arret receives them.
void bloque_signaux_d_arret(sigset_t& arrets) {
  sigemptyset(&arrets);
  sigaddset(&arrets, SIGINT);
  sigaddset(&arrets, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &arrets, nullptr);
}

void attend_arret(const sigset_t& arrets, jeu::sauvegarde_scores& sauvegarde) {
  std::thread([arrets, &sauvegarde] {
    int signal = 0;
    sigwait(&arrets, &signal);
    sauvegarde.arrete();
    std::fflush(stdout);
    std::_Exit(0);
  }).detach();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace jeu;
  std::string erreur;
  const std::optional<options> opts = lit_ligne_commande(argc, argv, &erreur);
  if (!opts) {
    // The usage line is the same whatever was wrong; a malformed option is
    // also named, on standard error.
    if (!erreur.empty()) std::fprintf(stderr, "serveur_jeu: %s\n", erreur.c_str());
    std::printf("usage : %s [-debug] [port_number]\n", argc > 0 ? argv[0] : "serveur_jeu");
    std::fflush(stdout);
    return 1;
  }
  static monde le_monde(static_cast<std::uint64_t>(std::time(nullptr)));
  configuration::debug = opts->debug;
  // A peer that has gone must only fail the write to it.
  std::signal(SIGPIPE, SIG_IGN);
  jeu::commun::leve_limite_fichiers();

  {
    VerrouGarde garde(le_monde.verrou_monde);
    le_monde.scores.redimensionne(opts->scores_max);
  }
  // Kept for the life of the process, like the world.
  static std::unique_ptr<base_scores> base;
  static std::unique_ptr<sauvegarde_scores> sauvegarde;
  sigset_t arrets;
  if (!opts->base_scores.empty()) {
    try {
      base = std::make_unique<base_scores>(opts->base_scores);
      sauvegarde = std::make_unique<sauvegarde_scores>(le_monde, *base, periode_sauvegarde,
                                                       opts->base_scores);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "serveur_jeu: %s\n", e.what());
      return 1;
    }
    bloque_signaux_d_arret(arrets);
  }

  if (configuration::debug) ecrit_tout(stdout, "creation des cubes\n");
  {
    VerrouGarde garde(le_monde.verrou_monde);
    le_monde.cubes = cree_cubes(le_monde, configuration::nb_cubes);
  }
  // The game's clock keeps its pace however many sessions want the CPU: the
  // tick runs in the real-time class where the system grants it (root,
  // CAP_SYS_NICE, or an RLIMIT_RTPRIO), else the sessions run below it.
  const auto tick = [] { mise_a_jour(le_monde); };
  int e = lance_thread_detache(tick, pile_tick, priorite_tick);
  if (e == EPERM) {
    e = lance_thread_detache(tick, pile_tick);
    if (e == 0) {
      std::fprintf(stderr,
                   "serveur_jeu: pas de classe temps reel pour le tick (%s) : les sessions "
                   "tournent a une priorite plus basse\n",
                   std::strerror(EPERM));
      std::fflush(stderr);
      baisse_priorite_du_thread(increment_nice_sessions);
    }
  }
  if (e != 0) {
    erreur_fatale(std::system_error(e, std::generic_category(), "pthread_create").what());
  }
  if (sauvegarde) {
    sauvegarde->lance();
    attend_arret(arrets, *sauvegarde);
  }
  if (configuration::debug) ecrit_tout(stdout, "lancement du serveur\n");
  try {
    serveur(le_monde, *opts, file_attente());
  } catch (const std::exception& e) {
    erreur_fatale(e.what());
  }
}
