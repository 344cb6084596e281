// jeu-bots: robots to play against. Each robot has its own connection and
// colour, polls and acts at a fixed rate, and comes back on a new
// connection when its ship is destroyed.
#include <netdb.h>
#include <sys/socket.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "bots/equipe.h"
#include "bots/observateur.h"
#include "jeu_client.h"
#include "bots/tableau.h"
#include "commun/limite_fichiers.h"
#include "commun/options_cli.h"

namespace {

std::atomic<bool> arret{false};

// `hote` as a numeric address, so that no robot's connection waits for a
// name server: the first address the spectator's lookup also found. `hote`
// itself when it cannot be resolved now (each connection then tries).
std::string adresse_de(const std::string& hote) {
  addrinfo indices{};
  indices.ai_socktype = SOCK_STREAM;
  addrinfo* adresses = nullptr;
  if (getaddrinfo(hote.c_str(), nullptr, &indices, &adresses) != 0) return hote;
  char texte[NI_MAXHOST];
  const bool ok = getnameinfo(adresses->ai_addr, adresses->ai_addrlen, texte, sizeof texte,
                              nullptr, 0, NI_NUMERICHOST) == 0;
  freeaddrinfo(adresses);
  return ok ? texte : hote;
}

extern "C" void sur_signal(int) { arret.store(true); }


}  // namespace

int main(int argc, char** argv) {
  using namespace jeu::bots;
  options_equipe o;
  std::string sorte = "mixte";
  double duree_s = 0;
  bool muet = false;
  CLI::App app{"jeu-bots: robots that play serveur_jeu, each on its own connection"};
  app.add_option("hote", o.hote, "server address")->capture_default_str();
  app.add_option("port", o.port, "server port")->capture_default_str()->check(CLI::Range(1, 65535));
  app.add_option("-n,--nombre", o.nombre, "robots")->capture_default_str()->check(CLI::Range(1, 5000));
  app.add_option("-c,--comportement", sorte, "tourelle, chasseur or mixte (alternating)")
      ->capture_default_str()
      ->check(CLI::IsMember({"tourelle", "chasseur", "mixte"}));
  app.add_option("-d,--duree", duree_s, "seconds to play; 0: until Ctrl-C")
      ->capture_default_str()->check(CLI::NonNegativeNumber);
  app.add_option("-f,--frequence", o.frequence, "frames per second and robot")
      ->capture_default_str()->check(CLI::Range(0.1, 200.0));
  app.add_option("--fils", o.fils, "threads driving the robots")
      ->capture_default_str()->check(CLI::Range(1, 64));
  app.add_option("--couleur", o.couleur_base,
                 "the first robot's colour (0xRRGGBB); the others spread from its hue")
      ->capture_default_str();
  double delai_s = 5;
  app.add_option("--delai", delai_s, "seconds to wait for the server before giving up on a step")
      ->capture_default_str()->check(CLI::Range(0.1, 3600.0));
  app.add_flag("-q,--silencieux,--muet", muet, "no progress line each second");
  if (auto sortie = jeu::commun::analyse(app, argc, argv)) return jeu::commun::termine(*sortie);

  if (sorte == "mixte") {
    o.sortes = {comportement::tourelle, comportement::chasseur};
  } else {
    o.sortes = {*lit_comportement(sorte)};
  }
  o.duree = std::chrono::milliseconds(static_cast<long long>(duree_s * 1000));
  o.delai = std::chrono::milliseconds(static_cast<long long>(delai_s * 1000));
  jeu::commun::leve_limite_fichiers();
  std::signal(SIGINT, sur_signal);
  std::signal(SIGTERM, sur_signal);
  std::signal(SIGPIPE, SIG_IGN);

  // The cubes never change: one spectator's connection reads them for all,
  // then the server's figures each second, and its scores at the end.
  observateur spectateur(o.hote, o.port, o.delai);
  spectateur.attend(horloge::now() + o.delai, arret);
  if (!spectateur.cubes()) {
    const std::string pourquoi = arret.load()                          ? "stopped before playing"
                                 : spectateur.derniere_erreur().empty() ? "no reply in time"
                                                                        : spectateur.derniere_erreur();
    std::fprintf(stderr, "jeu-bots: %s:%d: %s\n", o.hote.c_str(), o.port, pourquoi.c_str());
    return 1;
  }
  std::fprintf(stderr, "jeu-bots: %d robots on %s:%d, %g frames/s each; Ctrl-C stops them\n",
               o.nombre, o.hote.c_str(), o.port, o.frequence);
  o.hote = adresse_de(o.hote);

  const bilan_equipe b = lance_equipe(o, *spectateur.cubes(), arret, [&](int en_jeu, std::int64_t trames) {
    if (muet) return;
    spectateur.demande_stats();
    spectateur.attend(horloge::now() + std::chrono::milliseconds(200), arret);
    std::string serveur;
    if (const auto& s = spectateur.stats()) {
      char texte[160];
      std::snprintf(texte, sizeof texte,
                    " | server: %.1f ticks/s, tick p99 %lld us, %lld requests/s",
                    s->ticks_par_seconde, static_cast<long long>(s->p99_tick_us),
                    static_cast<long long>(s->requetes_par_seconde));
      serveur = texte;
    } else if (!spectateur.derniere_erreur().empty()) {
      serveur = " | server: " + spectateur.derniere_erreur();
    }
    std::fprintf(stderr, "%d/%d robots in play, %lld frames/s%s\n", en_jeu, o.nombre,
                 static_cast<long long>(trames), serveur.c_str());
  });
  // The server's scores for the table, once every ship has quit; after
  // Ctrl-C only briefly, so that the run still ends at once.
  const std::atomic<bool> jamais{false};
  spectateur.demande_scores();
  const auto attente_scores =
      arret.load() ? std::min<std::chrono::milliseconds>(o.delai, std::chrono::milliseconds(300)) : o.delai;
  spectateur.attend(horloge::now() + attente_scores, jamais);
  std::fputs(tableau(b, spectateur.scores() ? &*spectateur.scores() : nullptr).c_str(), stdout);
  const bool joue = std::any_of(b.robots.begin(), b.robots.end(), [](const bilan_robot& r) { return r.vies > 0; });
  if (!joue) {
    std::fprintf(stderr, "jeu-bots: no robot could play (%s)\n",
                 b.robots.empty() ? "none" : b.robots.front().derniere_erreur.c_str());
    return 1;
  }
  return 0;
}
