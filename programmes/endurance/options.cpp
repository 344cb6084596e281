#include "endurance/options.h"

#include "commun/options_cli.h"

#include <CLI/CLI.hpp>

namespace jeu::endurance {

std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv) {
  options o;
#ifdef SERVEUR_JEU_BINAIRE
  o.serveur = SERVEUR_JEU_BINAIRE;
#endif
  CLI::App app{
      "Soak test of serveur_jeu: steady players play for the whole run while many "
      "short-lived connections come and go and end in every way; afterwards the server "
      "must hold no ship, thread or descriptor of a gone connection, and its memory must "
      "not have grown past a bound.",
      "jeu-endurance"};
  app.option_defaults()->always_capture_default();
  auto* serveur = app.add_option("--serveur", o.serveur, "server program to start on a free port");
  app.add_option("--port", o.port, "use the server already listening on this 127.0.0.1 port")
      ->check(CLI::Range(1, 65535))
      ->excludes(serveur);
  app.add_option("--joueurs", o.joueurs, "steady players")->check(CLI::Range(1, 10'000));
  app.add_option("--connexions", o.connexions, "short-lived connections over the run")
      ->check(CLI::Range(0, 100'000'000));
  app.add_option("-d,--duree", o.duree, "seconds over which the short-lived connections start")
      ->check(CLI::Range(0.1, 86400.0));
  app.add_option("--en-vol", o.en_vol, "short-lived connections at once, at most")
      ->check(CLI::Range(1, 1000));
  app.add_option("--rondes", o.rondes, "rounds per second of each steady player")
      ->check(CLI::Range(0.1, 100.0));
  app.add_option("--attente-max", o.attente_max_ms, "bound on a steady player's wait, ms")
      ->check(CLI::Range(1.0, 1e6));
  app.add_option("--memoire-max", o.memoire_max_mio, "bound on the growth of the server's VmRSS, MiB")
      ->check(CLI::Range(0.0, 1e6));
  app.add_option("--reglement", o.reglement, "seconds allowed for the server to settle at the end")
      ->check(CLI::Range(0.1, 3600.0));
  app.add_option("--graine", o.graine, "seed of the random choices");
  if (auto sortie = commun::analyse(app, argc, argv)) return *sortie;
  if (o.port == 0 && o.serveur.empty()) return sortie_immediate{2, "no --serveur nor --port given\n"};
  return o;
}

}  // namespace jeu::endurance
