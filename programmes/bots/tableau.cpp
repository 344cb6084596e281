#include "bots/tableau.h"

#include <chrono>
#include <cstdio>

namespace jeu::bots {

namespace {

double secondes(horloge::duration d) { return std::chrono::duration<double>(d).count(); }

std::string ligne(const char* format, auto... valeurs) {
  char tampon[256];
  std::snprintf(tampon, sizeof tampon, format, valeurs...);
  return tampon;
}

}  // namespace

std::string tableau(const bilan_equipe& b) {
  std::string t = ligne("%-8s  %-8s  %5s  %9s  %7s  %7s  %s\n", "robot", "kind", "lives",
                        "alive s", "shots", "frames", "last failure");
  int vies = 0;
  horloge::duration en_vie{};
  std::int64_t tirs = 0;
  std::int64_t trames = 0;
  for (const bilan_robot& r : b.robots) {
    t += ligne("%06llx    %-8s  %5d  %9.1f  %7lld  %7lld  %s\n",
               static_cast<unsigned long long>(r.couleur), std::string(nom(r.sorte)).c_str(), r.vies,
               secondes(r.en_vie), static_cast<long long>(r.tirs),
               static_cast<long long>(r.trames), r.derniere_erreur.c_str());
    vies += r.vies;
    en_vie += r.en_vie;
    tirs += r.tirs;
    trames += r.trames;
  }
  t += ligne("%-8s  %-8s  %5d  %9.1f  %7lld  %7lld\n", "total", "", vies, secondes(en_vie),
             static_cast<long long>(tirs), static_cast<long long>(trames));
  const commun::histogramme& rt = b.allers_retours;
  if (rt.nombre() > 0) {
    const auto ms = [](std::uint64_t us) { return static_cast<double>(us) / 1000.0; };
    t += ligne("%llu frames in %.1f s; round trip ms: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n",
               static_cast<unsigned long long>(rt.nombre()), secondes(b.duree),
               ms(rt.percentile(50)), ms(rt.percentile(90)), ms(rt.percentile(99)), ms(rt.max()));
  }
  return t;
}

}  // namespace jeu::bots
