#include "spectateur/options.h"

#include "commun/options_cli.h"

#include <CLI/CLI.hpp>
#include <sstream>

namespace jeu::spectateur {

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
        return commun::lit_hote_port(t, h, p);
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
  commun::lit_hote_port(serveur, o.hote, o.port);
  return o;
}

}  // namespace jeu::spectateur
