#include "charge/options.h"

#include "commun/options_cli.h"

#include <arpa/inet.h>

#include <CLI/CLI.hpp>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace jeu::charge {

namespace {

std::string verifie_requete(const std::string& ligne) {
  if (ligne.empty()) return "a request cannot be empty";
  if (ligne.find_first_of("\r\n") != std::string::npos) {
    return "a request is one line; CR LF is appended by the program";
  }
  return {};
}

// "DEBUT:PAS:MAX", three positive integers, DEBUT <= MAX.
std::optional<paliers> lit_paliers(const std::string& texte) {
  paliers p{};
  char deux_points[2] = {};
  char reste = 0;
  std::istringstream flux(texte);
  if (!(flux >> p.debut >> deux_points[0] >> p.pas >> deux_points[1] >> p.max) ||
      deux_points[0] != ':' || deux_points[1] != ':' || (flux >> reste)) {
    return std::nullopt;
  }
  if (p.debut < 1 || p.pas < 1 || p.max < p.debut || p.max > 1'000'000) return std::nullopt;
  return p;
}

std::string verifie_adresse(const std::string& texte) {
  in_addr a{};
  return inet_pton(AF_INET, texte.c_str(), &a) == 1 ? std::string{}
                                                      : "not a numeric IPv4 address: " + texte;
}

}  // namespace

std::variant<options, sortie_immediate> lit_options(int argc, const char* const* argv) {
  options o;
  CLI::App app{
      "Load generator for serveur_jeu and other line servers: N connections send "
      "request lines, in closed loop or at a fixed rate, and the replies' latency is "
      "reported; or they send frames of lines, and the frames' latency and the server's "
      "tick rate, CPU and memory are reported, or a capacity search runs.",
      "jeu-charge"};
  app.option_defaults()->always_capture_default();
  app.add_option("-a,--adresse", o.adresse, "server IPv4 address")->check(verifie_adresse);
  app.add_option("--sources", o.sources,
                 "connections come from this many local addresses, 127.0.0.1 and on "
                 "(as many hosts; the server limits what one address may keep waiting)")
      ->check(CLI::Range(1, 1 << 24));
  app.add_option("-p,--port", o.port, "server port")->check(CLI::Range(1, 65535));
  CLI::Option* c = app.add_option("-c,--connexions", o.connexions, "number of connections")
      ->check(CLI::Range(1, 1'000'000));
  CLI::Option* d = app.add_option("-d,--duree", o.duree, "length of the run in seconds, ramp included")
      ->check(CLI::Range(0.001, 86400.0));
  CLI::Option* montee = app.add_option("--montee", o.montee, "spread the connects over this many seconds (0: all at once)")
      ->check(CLI::Range(0.0, 86400.0));
  CLI::Option* debit = app.add_option("--debit", o.debit,
                 "requests per second per connection; absent: closed loop (next batch when "
                 "the replies are in)")
      ->check(CLI::Range(1e-3, 1e7))
      ->default_str("");
  CLI::Option* k = app.add_option("-k,--pipeline", o.pipeline, "requests written together, in one write")
      ->check(CLI::Range(1, 65536));
  CLI::Option* r = app.add_option("-r,--requete", o.requetes,
                 "a request line, repeatable; cycled in order on each connection "
                 "(default: GET STATUT)")
      ->check(verifie_requete)
      ->default_str("");
  bool sans_enregistrement = false;
  bool silencieux = false;
  app.add_flag("--sans-enregistrement", sans_enregistrement,
               "send no colour before the requests (for other line servers)");
  app.add_option("--couleur", o.couleur, "colour of connection 0; connection i uses colour + i");
  app.add_option("--delai-fin", o.delai_fin,
                 "seconds to wait for outstanding replies once the run is over")
      ->check(CLI::Range(0.0, 3600.0));
  app.add_flag("-q,--silencieux", silencieux, "no progress line on stderr");

  CLI::Option* trame = app.add_option(
      "--trame", o.trame,
      "frame mode: a line of the frame, repeatable; each connection writes all the lines "
      "together and the frame is timed up to its last reply")
      ->check(verifie_requete)
      ->default_str("");
  std::vector<CLI::Option*> de_trame;
  de_trame.push_back(app.add_option("--periode-ms", o.periode_ms,
                                    "frame mode: milliseconds between a connection's frames "
                                    "(0: closed loop)")
                         ->check(CLI::Range(0.0, 60000.0)));
  de_trame.push_back(app.add_option("--tireurs", o.tireurs,
                                    "frame mode: percent of the connections that add "
                                    "\"PUT ACTION TIRE\" to their frames")
                         ->check(CLI::Range(0.0, 100.0)));
  de_trame.push_back(app.add_option("--tir-chaque", o.tir_chaque,
                                    "frame mode: a shooter shoots in one frame out of this many")
                         ->check(CLI::Range(1, 1'000'000)));
  bool sans_stats = false;
  de_trame.push_back(app.add_flag("--sans-stats", sans_stats,
                                  "frame mode: no spectator connection reading GET STATS"));
  pid_t pid = 0;
  de_trame.push_back(app.add_option("--pid", pid,
                                    "frame mode: the server's process, for its CPU and memory "
                                    "(default: the one listening on the port)")
                         ->check(CLI::Range(1, std::numeric_limits<int>::max()))
                         ->default_str(""));
  std::string texte_capacite;
  CLI::Option* capacite =
      app.add_option("--capacite", texte_capacite,
                     "frame mode: capacity search, DEBUT:PAS:MAX players; each step adds "
                     "players and is measured, until frame p99 or the tick rate goes past "
                     "its limit")
          ->default_str("");
  de_trame.push_back(capacite);
  std::vector<CLI::Option*> de_capacite;
  de_capacite.push_back(app.add_option("--stabilisation", o.stabilisation,
                                       "capacity search: seconds before each step's measure")
                            ->check(CLI::Range(0.0, 3600.0)));
  de_capacite.push_back(app.add_option("--palier", o.palier,
                                       "capacity search: seconds measured per step")
                            ->check(CLI::Range(0.1, 3600.0)));
  de_capacite.push_back(app.add_option("--p99-max-ms", o.p99_max_ms,
                                       "capacity search: highest frame p99 within limits")
                            ->check(CLI::Range(0.001, 1e6)));
  de_capacite.push_back(app.add_option("--ticks-min", o.ticks_min,
                                       "capacity search: lowest ticks/s within limits")
                            ->check(CLI::Range(0.0, 1000.0)));

  if (auto sortie = commun::analyse(app, argc, argv)) return *sortie;
  o.enregistrement = !sans_enregistrement;
  o.progression = !silencieux;
  o.stats = !sans_stats;
  if (pid > 0) o.pid = pid;
  const auto donnee = [](const CLI::Option* opt) { return opt->count() > 0; };
  if (trame->count() == 0) {
    for (const CLI::Option* opt : de_trame) {
      if (donnee(opt)) return sortie_immediate{2, opt->get_name() + " needs --trame\n"};
    }
  } else if (donnee(r) || donnee(k) || donnee(debit)) {
    return sortie_immediate{
        2, "--trame is frame mode: -r, -k and --debit belong to request mode\n"};
  }
  if (capacite->count() == 0) {
    for (const CLI::Option* opt : de_capacite) {
      if (donnee(opt)) return sortie_immediate{2, opt->get_name() + " needs --capacite\n"};
    }
  } else {
    if (donnee(c) || donnee(d) || donnee(montee)) {
      return sortie_immediate{2, "--capacite sets the players and the steps' length: "
                                 "no -c, -d or --montee\n"};
    }
    o.capacite = lit_paliers(texte_capacite);
    if (!o.capacite) {
      return sortie_immediate{
          2, "--capacite takes DEBUT:PAS:MAX, positive integers, DEBUT <= MAX <= 1000000\n"};
    }
    o.connexions = o.capacite->max;
  }
  if (o.requetes.empty()) o.requetes.push_back("GET STATUT");
  if (o.montee >= o.duree) {
    return sortie_immediate{2, "--montee must be shorter than --duree\n"};
  }
  const std::int64_t dernier = o.connexions - 1;
  if (o.couleur > std::numeric_limits<std::int64_t>::max() - dernier) {
    return sortie_immediate{2, "--couleur + connection index must fit in a signed 64-bit integer\n"};
  }
  return o;
}

}  // namespace jeu::charge
