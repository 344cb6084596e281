#include "commun/options_cli.h"

#include <charconv>
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

std::string lit_hote_port(const std::string& texte, std::string& hote, int& port) {
  const std::size_t deux_points = texte.rfind(':');
  if (deux_points == std::string::npos) return "expected host:port, got " + texte;
  std::string h = texte.substr(0, deux_points);
  if (h.size() >= 2 && h.front() == '[' && h.back() == ']') {
    h = h.substr(1, h.size() - 2);
  } else if (h.find(':') != std::string::npos) {
    return "an IPv6 address goes in brackets: [::1]:12345";
  }
  if (h.empty()) return "no host in " + texte;
  const std::string p = texte.substr(deux_points + 1);
  int valeur = 0;
  const auto [fin, ec] = std::from_chars(p.data(), p.data() + p.size(), valeur);
  if (p.empty() || ec != std::errc{} || fin != p.data() + p.size() || valeur < 1 ||
      valeur > 65535) {
    return "the port must be an integer in 1..65535, got " + p;
  }
  hote = std::move(h);
  port = valeur;
  return {};
}

}  // namespace jeu::commun
