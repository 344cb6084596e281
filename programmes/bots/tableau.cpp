#include "bots/tableau.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unordered_map>

namespace jeu::bots {

namespace {

double secondes(horloge::duration d) { return std::chrono::duration<double>(d).count(); }

std::string ligne(const char* format, auto... valeurs) {
  char tampon[256];
  std::snprintf(tampon, sizeof tampon, format, valeurs...);
  return tampon;
}

std::string colonnes_serveur(const jeu_client::score* s) {
  if (s == nullptr) return ligne("  %6s  %6s  %6s  %6s  %5s", "-", "-", "-", "-", "-");
  const std::string precision =
      s->tirs > 0 ? ligne("%5.1f", 100.0 * static_cast<double>(s->touches_donnees) / static_cast<double>(s->tirs))
                  : "-";
  return ligne("  %6lld  %6lld  %6lld  %6lld  %5s", static_cast<long long>(s->victoires),
               static_cast<long long>(s->morts), static_cast<long long>(s->touches_donnees),
               static_cast<long long>(s->touches_recues), precision.c_str());
}

}  // namespace

std::string tableau(const bilan_equipe& b, const std::vector<jeu_client::score>* scores) {
  // The server's line and rank for each robot's colour.
  std::unordered_map<jeu_client::couleur_t, std::size_t> rang;
  if (scores != nullptr) {
    for (std::size_t i = 0; i < scores->size(); ++i) rang.emplace((*scores)[i].couleur, i);
  }
  const auto score_de = [&](const bilan_robot& r) -> const jeu_client::score* {
    const auto t = rang.find(r.couleur);
    return t == rang.end() ? nullptr : &(*scores)[t->second];
  };
  std::vector<const bilan_robot*> ordre;
  for (const bilan_robot& r : b.robots) ordre.push_back(&r);
  std::stable_sort(ordre.begin(), ordre.end(), [&](const bilan_robot* a, const bilan_robot* z) {
    const auto ra = rang.find(a->couleur);
    const auto rz = rang.find(z->couleur);
    return (ra == rang.end() ? rang.size() : ra->second) < (rz == rang.end() ? rang.size() : rz->second);
  });

  std::string t = ligne("%-8s  %-8s  %5s  %9s  %7s  %7s  %6s  %6s  %6s  %6s  %5s  %s\n", "robot", "kind",
                        "lives", "alive s", "shots", "frames", "kills", "deaths", "hits", "hit by",
                        "acc %", "last failure");
  int vies = 0;
  horloge::duration en_vie{};
  std::int64_t tirs = 0;
  std::int64_t trames = 0;
  jeu_client::score somme;
  for (const bilan_robot* r : ordre) {
    const jeu_client::score* s = score_de(*r);
    t += ligne("%06llx    %-8s  %5d  %9.1f  %7lld  %7lld", static_cast<unsigned long long>(r->couleur),
               std::string(nom(r->sorte)).c_str(), r->vies, secondes(r->en_vie),
               static_cast<long long>(r->tirs), static_cast<long long>(r->trames)) +
         colonnes_serveur(s) + "  " + r->derniere_erreur + "\n";
    vies += r->vies;
    en_vie += r->en_vie;
    tirs += r->tirs;
    trames += r->trames;
    if (s != nullptr) {
      somme.victoires += s->victoires;
      somme.morts += s->morts;
      somme.touches_donnees += s->touches_donnees;
      somme.touches_recues += s->touches_recues;
      somme.tirs += s->tirs;
    }
  }
  t += ligne("%-8s  %-8s  %5d  %9.1f  %7lld  %7lld", "total", "", vies, secondes(en_vie),
             static_cast<long long>(tirs), static_cast<long long>(trames)) +
       colonnes_serveur(scores != nullptr ? &somme : nullptr) + "\n";
  if (scores == nullptr) t += "server scores: not available\n";
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
