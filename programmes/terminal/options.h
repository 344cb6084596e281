#pragma once

// The command line of jeu-terminal.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "commun/options_cli.h"

namespace jeu::terminal {

struct options {
  std::string hote = "127.0.0.1";
  int port = 12345;
  std::optional<std::int64_t> couleur;  // absent: a random 0xRRGGBB
  bool spectateur = false;
  std::string rejoue;  // a recording to replay instead of connecting
  double images_par_seconde = 30;  // 0: as many as the loop can
  bool compte_rendu = true;        // print the redraw rate at the end
};

using sortie_immediate = commun::sortie_immediate;

// A colour written in decimal (an optional "-", then digits) or in
// hexadecimal after "0x" or "0X"; nullopt for anything else or a value
// outside int64.
std::optional<std::int64_t> lit_couleur(std::string_view texte);

// Reads argv[1..]: [host] [port] --couleur C | --spectateur, --ips N.
std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::terminal
