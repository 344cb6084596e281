#include "terminal/options.h"

#include "commun/options_cli.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <sstream>

namespace jeu::terminal {

std::optional<std::int64_t> lit_couleur(std::string_view texte) {
  int base = 10;
  if (texte.size() > 2 && texte[0] == '0' && (texte[1] == 'x' || texte[1] == 'X')) {
    base = 16;
    texte.remove_prefix(2);
    if (texte.front() == '-' || texte.front() == '+') return std::nullopt;
  }
  std::int64_t valeur = 0;
  const char* fin = texte.data() + texte.size();
  const auto [ptr, ec] = std::from_chars(texte.data(), fin, valeur, base);
  if (ec != std::errc{} || ptr != fin || texte.empty()) return std::nullopt;
  return valeur;
}

std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv) {
  options o;
  CLI::App app{
      "Plays serveur_jeu in the terminal: arrows turn (left, right) and change speed "
      "(up, down), space fires, q quits. With --spectateur, watches the whole arena "
      "without a ship.",
      "jeu-terminal"};
  app.add_option("hote", o.hote, "server name or address")->capture_default_str();
  app.add_option("port", o.port, "server port")->check(CLI::Range(1, 65535))->capture_default_str();
  std::string couleur;
  auto* option_couleur =
      app.add_option("-c,--couleur", couleur,
                     "your ship's colour, 0xRRGGBB or decimal (default: a random one)")
          ->check([](const std::string& t) {
            return lit_couleur(t) ? std::string{} : "not a colour (0xRRGGBB or decimal): " + t;
          });
  app.add_flag("-s,--spectateur", o.spectateur, "watch the arena, without a ship")
      ->excludes(option_couleur);
  app.add_option("--rejoue", o.rejoue,
                 "replay this recording (made by jeu-enregistreur): space pauses, - and + change "
                 "the speed, the arrows seek")
      ->check(CLI::ExistingFile)
      ->excludes(option_couleur);
  app.add_option("-f,--frequence,--ips", o.images_par_seconde,
                 "frames per second to aim for (0: as many as possible)")
      ->check(CLI::Range(0.0, 1000.0))
      ->capture_default_str();
  bool silencieux = false;
  app.add_flag("-q,--silencieux", silencieux, "do not print the redraw rate at the end");
  if (auto sortie = commun::analyse(app, argc, argv)) return *sortie;
  if (!couleur.empty()) o.couleur = lit_couleur(couleur);
  o.compte_rendu = !silencieux;
  return o;
}

}  // namespace jeu::terminal
