#include "commun/options_cli.h"

#include <cstdio>
#include <sstream>

namespace jeu::commun {

std::optional<sortie_immediate> analyse(CLI::App& app, int argc, const char* const* argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::ostringstream sortie;
    std::ostringstream erreur;
    const int code = app.exit(e, sortie, erreur);
    return sortie_immediate{code, code == 0 ? sortie.str() : erreur.str()};
  }
  return std::nullopt;
}

int termine(const sortie_immediate& s) {
  std::fputs(s.texte.c_str(), s.code == 0 ? stdout : stderr);
  return s.code;
}

}  // namespace jeu::commun
