#include "terminal/barre.h"

#include <cmath>
#include <cstdio>

namespace jeu::terminal {

namespace {

std::string decimale(double v) {
  // Sums of 0.1 leave crumbs like 5.5e-17: no "-0.0" for a ship at rest.
  if (std::fabs(v) < 0.05) v = 0;
  char texte[32];
  std::snprintf(texte, sizeof texte, "%.1f", v);
  return texte;
}

}  // namespace

std::string texte_barre(const etat_barre& e, int largeur) {
  std::string t;
  if (!e.message.empty()) t += e.message + "  ";
  if (e.spectateur) {
    t += "watching";
  } else if (e.detruit) {
    t += "DESTROYED";
  } else {
    t += "life " + std::to_string(e.pt_vie) + "/" + std::to_string(e.max_pt_vie) + "  speed " +
         decimale(e.vitesse);
  }
  t += "  ships " + std::to_string(e.vaisseaux) + "  bullets " + std::to_string(e.balles);
  if (e.stats) {
    t += "  ticks/s " + decimale(e.stats->ticks_par_seconde) + "  players " +
         std::to_string(e.stats->joueurs) + "  spectators " + std::to_string(e.stats->spectateurs);
  }
  t += "  " + std::to_string(static_cast<long>(std::lround(e.images_par_seconde))) + " fps";
  if (e.spectateur) {
    t += "  q: quit";
  } else if (e.detruit) {
    t += "  r: rejoin  q: quit";
  } else {
    t += "  arrows: turn/speed  space: fire  q: quit";
  }
  if (largeur < 0) largeur = 0;
  if (t.size() > static_cast<std::size_t>(largeur)) t.resize(static_cast<std::size_t>(largeur));
  return t;
}

}  // namespace jeu::terminal
