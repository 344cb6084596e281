#pragma once

// The command line of jeu-charge.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "commun/options_cli.h"

namespace jeu::charge {

// Player counts of a capacity search: debut, debut + pas... up to max.
struct paliers {
  int debut;
  int pas;
  int max;
};

struct options {
  std::string adresse = "127.0.0.1";  // IPv4, numeric
  int sources = 1;                    // > 1: connections from 127.0.0.1 + i mod sources
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

  // Frame mode when not empty: these lines in one write, every periode_ms
  // per connection; requetes, pipeline and debit are then unused.
  std::vector<std::string> trame;
  double periode_ms = 25;              // 0: closed loop
  double tireurs = 0;                  // % of the connections adding a shot
  int tir_chaque = 10;                 // a shooter shoots in one frame in this many
  bool stats = true;                   // frame mode: a spectator reads GET STATS
  std::optional<pid_t> pid;            // the server's process; else who listens on port
  // Capacity search instead of one run (frame mode; connexions, duree and
  // montee unused): each step adds players, settles, then is measured.
  std::optional<paliers> capacite;
  double stabilisation = 1;            // seconds before each step's measure
  double palier = 4;                   // seconds measured per step
  double p99_max_ms = 25;              // a step within limits has frame p99 <= this
  double ticks_min = 39;               // ... and its lowest second >= this many ticks
};

using sortie_immediate = commun::sortie_immediate;

// Reads argv[1..]. Every value is checked (ranges, a request without CR or
// LF, colours of all connections within int64, ramp shorter than the run,
// no request-mode option with frames, a capacity search only with frames);
// anything wrong gives a sortie_immediate with a non-zero code.
std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv);

}  // namespace jeu::charge
