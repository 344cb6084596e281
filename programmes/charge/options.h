#pragma once

// The command line of jeu-charge.

#include <cstdint>
#include <string>
#include <variant>

#include "commun/options_cli.h"
#include <vector>

namespace jeu::charge {

struct options {
  std::string adresse = "127.0.0.1";  // IPv4, numeric
  int port = 12345;
  int connexions = 10;
  double duree = 10;                  // seconds, ramp included
  double montee = 0;                  // seconds over which connects are spread
  double debit = 0;                   // requests/s per connection, 0: closed loop
  int pipeline = 1;                   // requests written together
  std::vector<std::string> requetes;  // cycled in order, without line end
  bool enregistrement = true;         // register a ship before the requests
  std::int64_t couleur = 0x100000;    // colour of connection 0, then + index
  double delai_fin = 2;               // seconds to wait for replies after the run
  bool progression = true;            // a line per second on stderr
};

using sortie_immediate = commun::sortie_immediate;

// Reads argv[1..]. Every value is checked (ranges, a request without CR or
// LF, colours of all connections within int64, ramp shorter than the run);
// anything wrong gives a sortie_immediate with a non-zero code.
std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::charge
