#pragma once

// The command line of jeu-endurance.

#include <string>
#include <variant>

#include "commun/options_cli.h"

namespace jeu::endurance {

struct options {
  std::string serveur;       // server program to start; default the build's
  int port = 0;              // 0: start the server; else connect to it
  int joueurs = 200;         // steady players
  int connexions = 10'000;   // short-lived connections over the run
  double duree = 60;         // seconds over which they come and go
  int en_vol = 50;           // short-lived connections at once, at most
  double rondes = 4;         // rounds per second of each steady player
  double attente_max_ms = 500;   // bound on a steady player's wait
  double memoire_max_mio = 32;   // bound on the growth of resident memory
  double reglement = 15;         // seconds allowed for the server to settle
  unsigned graine = 1;
};

using sortie_immediate = commun::sortie_immediate;

std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::endurance
