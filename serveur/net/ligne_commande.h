#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/adresse_ip.h"

namespace jeu {

struct options {
  int port;
  bool debug;
  adresse_ip adresse;  // where to listen; 0.0.0.0 unless --adresse
  // A connection not registered by then is closed; zero: never.
  std::chrono::seconds delai_inscription{30};
  // A reply that makes no progress for this long ends its session; zero: never.
  std::chrono::seconds delai_ecriture{30};
  // Connections of one address that may wait to register at once; zero:
  // no limit.
  int attente_max_par_adresse = 64;
  // The scores' database file; empty: scores are kept in memory only.
  std::string base_scores = {};
  // Colours the scores table holds at most; zero: no scores kept.
  std::size_t scores_max = 100'000;
};

// Reads an integer written as an optional "-", then decimal digits or
// "0x"/"0o"/"0b" (either case) and digits of that base, with "_" allowed
// after the first digit. Anything else, or a value outside int64: nullopt.
std::optional<std::int64_t> lit_entier(std::string_view texte);

// Reads the arguments after the program name: none, "-debug", a port, or a
// port and "-debug" in either order, the port in 0..65535; and, anywhere
// among them, options "--nom VALEUR" or "--nom=VALEUR":
//   --adresse ADRESSE              an IPv4 or IPv6 address to listen on;
//   --delai-inscription SECONDES   0..86400, 0 for none;
//   --delai-ecriture SECONDES      0..86400, 0 for none;
//   --attente-max-par-adresse N    0..1000000, 0 for no limit;
//   --scores FICHIER               a non-empty path;
//   --scores-max N                 0..10000000, 0 for no scores.
// nullopt means a usage error; `erreur`, when given, then says what was
// wrong with an option, or is empty when the rest of the line was wrong.
std::optional<options> lit_ligne_commande(int argc, const char* const* argv,
                                          std::string* erreur = nullptr);

}  // namespace jeu
