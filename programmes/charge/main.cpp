#include <cstdio>
#include <exception>
#include <variant>

#include "charge/capacite.h"
#include "charge/moteur.h"
#include "charge/options.h"
#include "charge/rapport.h"
#include "charge/tableau.h"
#include "commun/limite_fichiers.h"

int main(int argc, char** argv) {
  using namespace jeu::charge;
  const auto lu = lit_options(argc, argv);
  if (const auto* sortie = std::get_if<sortie_immediate>(&lu)) {
    std::fputs(sortie->texte.c_str(), sortie->code == 0 ? stdout : stderr);
    return sortie->code;
  }
  const options& o = std::get<options>(lu);
  jeu::commun::leve_limite_fichiers();
  const auto progression = [&](const instantane& i) {
    if (!o.progression) return;
    std::fputs(ligne_progression(i, o.connexions).c_str(), stderr);
    std::fflush(stderr);
  };
  try {
    if (o.capacite) {
      std::fputs(entete_tableau().c_str(), stdout);
      std::fflush(stdout);
      const bilan_capacite b = cherche_capacite(o, progression, [](const palier_mesure& p) {
        std::fputs(ligne_tableau(p).c_str(), stdout);
        std::fflush(stdout);
      });
      std::fputs(conclusion(o, b).c_str(), stdout);
    } else {
      std::fputs(rapport(o, lance(o, progression)).c_str(), stdout);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jeu-charge: %s\n", e.what());
    return 1;
  }
  return 0;
}
