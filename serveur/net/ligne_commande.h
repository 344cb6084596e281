#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace jeu {

struct options {
  int port;
  bool debug;
};

// Reads an integer written as an optional "-", then decimal digits or
// "0x"/"0o"/"0b" (either case) and digits of that base, with "_" allowed
// after the first digit. Anything else, or a value outside int64: nullopt.
std::optional<std::int64_t> lit_entier(std::string_view texte);

// Reads the arguments after the program name: none, "-debug", a port, or a
// port and "-debug" in either order. The port must lie in 0..65535.
// nullopt means a usage error.
std::optional<options> lit_ligne_commande(int argc, const char* const* argv);

}  // namespace jeu
