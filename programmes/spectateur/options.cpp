#include "spectateur/options.h"

#include "commun/options_cli.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <sstream>

namespace jeu::spectateur {

namespace {

// Splits "host:port" at its last colon; "" when it is well formed.
std::string lit_serveur(const std::string& texte, std::string& hote, int& port) {
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

}  // namespace

std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv) {
  options o;
  CLI::App app{
      "Live view of a serveur_jeu game in the browser: one spectator connection to the "
      "game server, shared by every viewer of the page it serves.",
      "jeu-spectateur"};
  app.option_defaults()->always_capture_default();
  std::string serveur = o.hote + ":" + std::to_string(o.port);
  app.add_option("--serveur", serveur, "the game server, host:port")
      ->check([&](const std::string& t) {
        std::string h;
        int p = 0;
        return lit_serveur(t, h, p);
      });
  app.add_option("--http", o.http, "port the page is served on (0: any free port)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--ecoute", o.ecoute,
                 "address the page is served on (0.0.0.0: every interface)");
  app.add_option("--vues", o.vues, "viewers at once; one more gets 503")
      ->check(CLI::Range(1, 1000));
  app.add_option("--rejoue", o.rejoue,
                 "replay this recording (made by jeu-enregistreur) instead of watching a server")
      ->check(CLI::ExistingFile);
  app.add_option("--frequence", o.frequence, "frames sent to the pages per second at most")
      ->check(CLI::Range(1, 100));
  if (auto sortie = commun::analyse(app, argc, argv)) return *sortie;
  lit_serveur(serveur, o.hote, o.port);
  return o;
}

}  // namespace jeu::spectateur
