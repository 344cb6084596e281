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

std::string joint(const std::vector<std::string>& infos, std::size_t n, std::string_view entre,
                  std::string_view touches) {
  std::string t;
  for (std::size_t i = 0; i < n; ++i) {
    t += infos[i];
    t += entre;
  }
  if (n > 0 && entre.size() < 2) t += ' ';  // the keys always stand two spaces apart
  t += touches;
  return t;
}

}  // namespace

std::string compose_barre(const std::vector<std::string>& infos, std::string_view touches,
                          int largeur) {
  const std::size_t place = largeur < 0 ? 0 : static_cast<std::size_t>(largeur);
  std::string t = joint(infos, infos.size(), "  ", touches);
  if (t.size() <= place) return t;
  if (touches.size() > place) {
    t.resize(place);
    return t;
  }
  for (std::size_t n = infos.size() + 1; n-- > 0;) {
    std::string court = joint(infos, n, " ", touches);
    if (court.size() <= place) return court;
  }
  return std::string(touches);
}

std::string texte_barre(const etat_barre& e, int largeur) {
  std::vector<std::string> infos;
  if (!e.message.empty()) infos.push_back(e.message);
  if (e.relecture) {
    const etat_relecture& r = *e.relecture;
    char vitesse[16];
    std::snprintf(vitesse, sizeof vitesse, "%gx", r.vitesse);
    infos.push_back("replay");
    infos.push_back("tick " + std::to_string(r.tick) + "/" + std::to_string(r.dernier));
    infos.push_back(r.pause ? "paused" : vitesse);
  } else if (e.spectateur) {
    infos.push_back("watching");
  } else if (e.detruit) {
    infos.push_back("DESTROYED");
  } else {
    infos.push_back("life " + std::to_string(e.pt_vie) + "/" + std::to_string(e.max_pt_vie));
    infos.push_back("speed " + decimale(e.vitesse));
  }
  infos.push_back("ships " + std::to_string(e.vaisseaux));
  infos.push_back("bullets " + std::to_string(e.balles));
  if (e.stats) {
    infos.push_back("ticks/s " + decimale(e.stats->ticks_par_seconde));
    infos.push_back("players " + std::to_string(e.stats->joueurs));
    infos.push_back("spectators " + std::to_string(e.stats->spectateurs));
  }
  infos.push_back(std::to_string(static_cast<long>(std::lround(e.images_par_seconde))) + " fps");
  std::string_view touches = "arrows: move  space: fire  q: quit";
  if (e.relecture) {
    touches = e.relecture->pause ? "space: play  -/+: speed  arrows: seek  q: quit"
                                 : "space: pause  -/+: speed  arrows: seek  q: quit";
  } else if (e.spectateur) {
    touches = "s: scores  q: quit";
  } else if (e.detruit) {
    touches = "r: rejoin  q: quit";
  }
  return compose_barre(infos, touches, largeur);
}

}  // namespace jeu::terminal
