#include "bots/equipe.h"

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <thread>

namespace jeu::bots {

namespace {

// The hue of `c` (0xRRGGBB), in [0, 1).
double teinte_de(jeu_client::couleur_t c) {
  const double r = static_cast<double>((c >> 16) & 0xFF) / 255.0;
  const double g = static_cast<double>((c >> 8) & 0xFF) / 255.0;
  const double b = static_cast<double>(c & 0xFF) / 255.0;
  const double haut = std::max({r, g, b});
  const double bas = std::min({r, g, b});
  if (haut == bas) return 0.0;
  const double d = haut - bas;
  double h = haut == r ? std::fmod((g - b) / d, 6.0) : haut == g ? (b - r) / d + 2.0 : (r - g) / d + 4.0;
  if (h < 0) h += 6.0;
  return h / 6.0;
}

}  // namespace

std::vector<jeu_client::couleur_t> couleurs_robots(int nombre, jeu_client::couleur_t base) {
  std::vector<jeu_client::couleur_t> couleurs;
  std::set<jeu_client::couleur_t> prises;
  const double depart = teinte_de(base);
  for (int i = 0; i < nombre; ++i) {
    const double teinte = std::fmod(depart + i * 0.6180339887498949, 1.0);
    // Full saturation, value 1: a bright colour of that hue.
    const double h = teinte * 6.0;
    const double f = h - std::floor(h);
    const int secteur = static_cast<int>(h) % 6;
    const auto octet = [](double v) { return static_cast<jeu_client::couleur_t>(std::lround(v * 255)); };
    double r = 0, g = 0, b = 0;
    switch (secteur) {
      case 0: r = 1; g = f; break;
      case 1: r = 1 - f; g = 1; break;
      case 2: g = 1; b = f; break;
      case 3: g = 1 - f; b = 1; break;
      case 4: r = f; b = 1; break;
      default: r = 1; b = 1 - f; break;
    }
    // A colour already given (hues closer than a byte tells apart): darker
    // by one step at a time, still that hue, until it is new.
    for (int pas = 0;; ++pas) {
      const double v = 1.0 - pas / 256.0;
      const jeu_client::couleur_t c = (octet(r * v) << 16) | (octet(g * v) << 8) | octet(b * v);
      if (prises.insert(c).second) {
        couleurs.push_back(c);
        break;
      }
    }
  }
  return couleurs;
}

std::vector<jeu_client::couleur_t> couleurs_du_robot(
    int i, int nombre, const std::vector<jeu_client::couleur_t>& toutes) {
  std::vector<jeu_client::couleur_t> siennes;
  for (int k = 0; k < couleurs_par_robot; ++k) {
    siennes.push_back(toutes[static_cast<std::size_t>(k * nombre + i)]);
  }
  return siennes;
}

namespace {

// One thread's share of the robots, frame after frame.
struct groupe {
  std::vector<robot> robots;
  commun::histogramme allers_retours;
  std::atomic<int> en_jeu{0};
  std::atomic<std::int64_t> trames{0};
};

// Longest poll: how soon a thread sees `arret`.
constexpr auto tranche = std::chrono::milliseconds(100);

void fait_tourner(groupe& g, const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                  horloge::time_point debut, horloge::time_point fin, const std::atomic<bool>& arret) {
  const auto periode = std::chrono::duration_cast<horloge::duration>(
      std::chrono::duration<double>(1.0 / o.frequence));
  horloge::time_point prochaine = debut;
  std::vector<pollfd> attentes;
  std::vector<robot*> qui;
  while (!arret.load() && (o.duree.count() == 0 || horloge::now() < fin)) {
    horloge::time_point maintenant = horloge::now();
    if (maintenant >= prochaine) {
      for (robot& r : g.robots) r.agit(maintenant);
      prochaine += periode;
      // A thread that fell behind skips the frames it missed instead of rushing.
      if (prochaine < maintenant) prochaine = maintenant + periode;
    }
    attentes.clear();
    qui.clear();
    for (robot& r : g.robots) {
      if (const short e = r.attente(); e != 0 && r.descripteur() >= 0) {
        attentes.push_back({r.descripteur(), e, 0});
        qui.push_back(&r);
      }
    }
    const auto jusqua = std::min(prochaine - horloge::now(), std::chrono::duration_cast<horloge::duration>(tranche));
    const int ms = static_cast<int>(std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(jusqua).count()));
    if (poll(attentes.data(), attentes.size(), ms) > 0) {
      for (std::size_t i = 0; i < attentes.size(); ++i) {
        if (attentes[i].revents == 0) continue;
        if (const auto rt = qui[i]->avance(horloge::now(), cubes)) {
          g.allers_retours.enregistre(static_cast<std::uint64_t>(
              std::chrono::duration_cast<std::chrono::microseconds>(*rt).count()));
          g.trames.fetch_add(1, std::memory_order_relaxed);
        }
      }
    }
    int en_jeu = 0;
    for (const robot& r : g.robots) en_jeu += r.en_jeu() ? 1 : 0;
    g.en_jeu.store(en_jeu, std::memory_order_relaxed);
  }
  for (robot& r : g.robots) r.termine(horloge::now());
}

}  // namespace

bilan_equipe lance_equipe(const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                          const std::atomic<bool>& arret, const suivi& chaque_seconde) {
  const int fils = std::clamp(o.fils, 1, std::max(1, o.nombre));
  std::vector<groupe> groupes(static_cast<std::size_t>(fils));
  const std::vector<jeu_client::couleur_t> toutes =
      couleurs_robots(o.nombre * couleurs_par_robot, o.couleur_base);
  for (int i = 0; i < o.nombre; ++i) {
    groupes[static_cast<std::size_t>(i % fils)].robots.emplace_back(
        couleurs_du_robot(i, o.nombre, toutes), o.sortes[static_cast<std::size_t>(i) % o.sortes.size()], o.hote,
        o.port, o.delai);
  }
  const horloge::time_point debut = horloge::now();
  const horloge::time_point fin = debut + o.duree;
  std::vector<std::thread> threads;
  for (groupe& g : groupes) {
    threads.emplace_back([&, gp = &g] { fait_tourner(*gp, o, cubes, debut, fin, arret); });
  }
  std::atomic<bool> fini{false};
  std::thread veille([&] {
    std::int64_t avant = 0;
    horloge::time_point suivante = debut + std::chrono::seconds(1);
    while (!fini.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (horloge::now() < suivante) continue;
      suivante += std::chrono::seconds(1);
      int en_jeu = 0;
      std::int64_t trames = 0;
      for (const groupe& g : groupes) {
        en_jeu += g.en_jeu.load(std::memory_order_relaxed);
        trames += g.trames.load(std::memory_order_relaxed);
      }
      if (chaque_seconde) chaque_seconde(en_jeu, trames - avant);
      avant = trames;
    }
  });
  for (std::thread& t : threads) t.join();
  fini = true;
  veille.join();

  bilan_equipe b;
  b.duree = horloge::now() - debut;
  for (int i = 0; i < o.nombre; ++i) {
    const groupe& g = groupes[static_cast<std::size_t>(i % fils)];
    b.robots.push_back(g.robots[static_cast<std::size_t>(i / fils)].bilan());
  }
  for (const groupe& g : groupes) b.allers_retours.fusionne(g.allers_retours);
  return b;
}

}  // namespace jeu::bots
