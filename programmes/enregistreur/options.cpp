#include "enregistreur/options.h"

#include <CLI/CLI.hpp>
#include <charconv>

namespace jeu::enregistreur {

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
      "Records a serveur_jeu game: reads the server's tick stream as a spectator and writes "
      "every frame to FICHIER (zstd chunks of one second) until Ctrl-C, SIGTERM, --duree or "
      "the server ends the stream. --infos FICHIER describes a recording instead.",
      "jeu-enregistreur"};
  app.option_defaults()->always_capture_default();
  std::string serveur = o.hote + ":" + std::to_string(o.port);
  app.add_option("--serveur", serveur, "the game server, host:port")
      ->check([&](const std::string& t) {
        std::string h;
        int p = 0;
        return lit_serveur(t, h, p);
      });
  app.add_option("--duree", o.duree, "seconds to record (0: until stopped)")
      ->check(CLI::Range(0.0, 1e7));
  app.add_option("--niveau", o.niveau, "zstd compression level")->check(CLI::Range(1, 19));
  auto* infos = app.add_option("--infos", o.infos,
                               "describe this recording (version, ticks, duration, size) and exit");
  auto* fichier = app.add_option("FICHIER", o.fichier, "the recording to write (never overwritten)");
  infos->excludes(fichier);
  fichier->excludes(infos);
  if (auto sortie = commun::analyse(app, argc, argv)) return *sortie;
  if (o.infos.empty() && o.fichier.empty()) {
    return sortie_immediate{1, "jeu-enregistreur: FICHIER or --infos FICHIER is required\n"};
  }
  lit_serveur(serveur, o.hote, o.port);
  return o;
}

}  // namespace jeu::enregistreur
