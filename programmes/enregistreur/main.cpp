// jeu-enregistreur: the tick stream of a serveur_jeu, written to a recording.
#include <signal.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <exception>
#include <string>

#include "enregistrement/ecrivain.h"
#include "enregistrement/lecteur.h"
#include "enregistreur/options.h"
#include "jeu_client.h"

namespace {

using namespace jeu;
using namespace std::chrono_literals;

volatile sig_atomic_t arret = 0;

void sur_signal(int) { arret = 1; }

// The two numbers of a frame's first line, "TICK <tick> <lost>".
bool lit_tick(const std::string& trame, std::uint64_t& tick, std::uint64_t& perdus) {
  const char* p = trame.data() + 5;
  const char* fin = trame.data() + trame.size();
  if (!trame.starts_with("TICK ")) return false;
  auto r = std::from_chars(p, fin, tick);
  if (r.ec != std::errc() || r.ptr == fin || *r.ptr != ' ') return false;
  r = std::from_chars(r.ptr + 1, fin, perdus);
  return r.ec == std::errc();
}

int infos(const std::string& chemin) {
  const auto l = enregistrement::lecteur::ouvre(chemin);
  std::printf("%s : enregistrement version %" PRIu32 ", %" PRIu64 " trames", chemin.c_str(),
              l.version(), l.nombre_trames());
  if (!l.vide()) {
    const std::uint64_t ticks = l.dernier_tick() - l.premier_tick() + 1;
    std::printf(", ticks %" PRIu64 " a %" PRIu64 " (%.1f s a 40 ticks par seconde)",
                l.premier_tick(), l.dernier_tick(), static_cast<double>(ticks) / 40.0);
  }
  std::printf(", %" PRIu64 " octets", l.octets_lus());
  if (l.octets_ignores() > 0) {
    std::printf(", %" PRIu64 " octets ignores en fin de fichier (coupe ou endommage)",
                l.octets_ignores());
  }
  std::printf("\n");
  return 0;
}

int enregistre(const enregistreur::options& o) {
  struct sigaction a {};
  a.sa_handler = sur_signal;
  sigemptyset(&a.sa_mask);
  sigaction(SIGINT, &a, nullptr);
  sigaction(SIGTERM, &a, nullptr);
  signal(SIGPIPE, SIG_IGN);

  auto c = jeu_client::connexion::ouvre(o.hote, o.port, 5s);
  c.devient_spectateur();
  c.commence_flux();
  enregistrement::ecrivain e(o.fichier, {.niveau = o.niveau});
  const auto debut = std::chrono::steady_clock::now();
  const auto fin = debut + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                               std::chrono::duration<double>(o.duree));
  std::uint64_t premier = 0, dernier = 0, perdus = 0;
  std::string pourquoi = "arrete";
  while (arret == 0 && (o.duree == 0 || std::chrono::steady_clock::now() < fin)) {
    std::string trame;
    try {
      trame = c.flux_texte();
    } catch (const jeu_client::erreur& err) {
      if (arret != 0) break;
      pourquoi = std::string("flux interrompu : ") + err.what();
      break;
    }
    std::uint64_t tick = 0, p = 0;
    if (!lit_tick(trame, tick, p)) {
      pourquoi = "trame sans ligne TICK";
      break;
    }
    if (e.trames() == 0) premier = tick;
    else perdus += p;
    dernier = tick;
    e.ajoute(tick, trame);
  }
  if (o.duree != 0 && arret == 0 && pourquoi == "arrete") pourquoi = "duree atteinte";
  e.termine();
  const double secondes =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
  std::fprintf(stderr,
               "jeu-enregistreur : %s ; %" PRIu64 " trames (ticks %" PRIu64 " a %" PRIu64
               ", %" PRIu64 " perdus) en %.1f s, %" PRIu64 " octets dans %s\n",
               pourquoi.c_str(), e.trames(), premier, dernier, perdus, secondes, e.octets(),
               o.fichier.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto lues = enregistreur::lit_options(argc, argv);
  if (const auto* s = std::get_if<commun::sortie_immediate>(&lues)) return commun::termine(*s);
  const auto& o = std::get<enregistreur::options>(lues);
  try {
    return o.infos.empty() ? enregistre(o) : infos(o.infos);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jeu-enregistreur : %s\n", e.what());
    return 1;
  }
}
