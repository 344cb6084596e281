#include <clocale>
#include <cstdio>
#include <exception>
#include <optional>
#include <variant>

#include "terminal/ecran.h"
#include "jeu_client.h"
#include "terminal/options.h"
#include "terminal/partie.h"
#include "terminal/rejeu.h"
#include "terminal/signaux.h"

int main(int argc, char** argv) {
  using namespace jeu::terminal;
  const auto lu = lit_options(argc, argv);
  if (const auto* sortie = std::get_if<sortie_immediate>(&lu)) {
    std::fputs(sortie->texte.c_str(), sortie->code == 0 ? stdout : stderr);
    return sortie->code;
  }
  const options& o = std::get<options>(lu);
  std::setlocale(LC_ALL, "");
  installe_signaux();

  if (!o.rejoue.empty()) {
    bilan b;
    try {
      rejeu r(o);
      ecran e;
      b = r.joue(e);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "jeu-terminal: %s\n", e.what());
      return 1;
    }
    std::printf("jeu-terminal: %s\n", b.raison.c_str());
    return b.code;
  }
  std::optional<partie> p;
  try {
    p.emplace(partie::ouvre(o));
  } catch (const jeu_client::erreur& e) {
    std::fprintf(stderr, "jeu-terminal: %s:%d: %s\n", o.hote.c_str(), o.port, e.what());
    return 1;
  }
  bilan b;
  try {
    ecran e;
    b = p->joue(e);
  } catch (const std::exception& e) {
    // The terminal is back to normal here: the screen's destructor ran.
    std::fprintf(stderr, "jeu-terminal: %s\n", e.what());
    return 1;
  }
  std::printf("jeu-terminal: %s\n", b.raison.c_str());
  if (o.compte_rendu && b.secondes > 0) {
    std::printf("%llu frames in %.1f s: %.1f frames/s\n",
                static_cast<unsigned long long>(b.images), b.secondes, b.images / b.secondes);
  }
  return b.code;
}
