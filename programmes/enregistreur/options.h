#pragma once

#include <optional>
#include <string>
#include <variant>

#include "commun/options_cli.h"

namespace jeu::enregistreur {

using commun::sortie_immediate;

struct options {
  std::string hote = "127.0.0.1";  // the game server: a name or an address
  int port = 12345;
  std::string fichier;             // the recording to write
  std::string infos;               // --infos: the recording to describe, nothing recorded
  double duree = 0;                // seconds to record; 0: until stopped
  int niveau = 9;                  // zstd's level
};

// Reads argv[1..]: "--serveur host:port" ("[v6address]:port" for IPv6),
// FICHIER, or "--infos FICHIER" alone.
std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::enregistreur
