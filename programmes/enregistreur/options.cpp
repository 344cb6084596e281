#include "enregistreur/options.h"

#include <CLI/CLI.hpp>

namespace jeu::enregistreur {

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
        return commun::lit_hote_port(t, h, p);
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
  commun::lit_hote_port(serveur, o.hote, o.port);
  return o;
}

}  // namespace jeu::enregistreur
