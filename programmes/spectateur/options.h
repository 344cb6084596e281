#pragma once

// The command line of jeu-spectateur.

#include <string>
#include <variant>

#include "commun/options_cli.h"

namespace jeu::spectateur {

struct options {
  std::string hote = "127.0.0.1";  // the game server: a name or an address
  int port = 12345;
  std::string ecoute = "127.0.0.1";  // the address the page is served on
  int http = 8080;                   // 0: any free port
  int vues = 32;                     // viewers at once
  std::string rejoue;                // a recording to replay; empty: the live server
  int frequence = 40;                // frames sent to the pages per second at most
};

using sortie_immediate = commun::sortie_immediate;

// Reads argv[1..]. "--serveur" is host:port, "[v6address]:port" for an IPv6
// address; every value is range-checked.
std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::spectateur
