#include "bots/equipe.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <thread>

namespace jeu::bots {

std::vector<jeu_client::couleur_t> couleurs_robots(int nombre) {
  std::vector<jeu_client::couleur_t> couleurs;
  std::set<jeu_client::couleur_t> prises;
  double teinte = 0.0;
  for (int i = 0; i < nombre; ++i) {
    teinte = std::fmod(teinte + 0.6180339887498949, 1.0);
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
    jeu_client::couleur_t c = (octet(r) << 16) | (octet(g) << 8) | octet(b);
    while (!prises.insert(c).second) c ^= 0x010101;  // darker by one step, still that hue
    couleurs.push_back(c);
  }
  return couleurs;
}

namespace {

// One thread's share of the robots, frame after frame.
struct groupe {
  std::vector<robot> robots;
  std::vector<horloge::duration> allers_retours;
  std::atomic<int> en_jeu{0};
  std::atomic<std::int64_t> trames{0};
};

void fait_tourner(groupe& g, const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                  horloge::time_point debut, horloge::time_point fin, const std::atomic<bool>& arret) {
  const auto periode = std::chrono::duration_cast<horloge::duration>(
      std::chrono::duration<double>(1.0 / o.frequence));
  horloge::time_point prochaine = debut;
  while (!arret.load() && (o.duree.count() == 0 || horloge::now() < fin)) {
    horloge::time_point maintenant = horloge::now();
    for (robot& r : g.robots) r.envoie(maintenant);
    int en_jeu = 0;
    for (robot& r : g.robots) {
      if (const auto rt = r.recoit(horloge::now(), cubes)) {
        g.allers_retours.push_back(*rt);
        g.trames.fetch_add(1, std::memory_order_relaxed);
      }
      en_jeu += r.en_jeu() ? 1 : 0;
    }
    g.en_jeu.store(en_jeu, std::memory_order_relaxed);
    prochaine += periode;
    maintenant = horloge::now();
    // A thread that fell behind skips the frames it missed instead of rushing.
    if (prochaine < maintenant) prochaine = maintenant;
    std::this_thread::sleep_until(prochaine);
  }
  for (robot& r : g.robots) r.termine(horloge::now());
}

}  // namespace

bilan_equipe lance_equipe(const options_equipe& o, const std::vector<jeu_client::cube>& cubes,
                          const std::atomic<bool>& arret, const suivi& chaque_seconde) {
  const int fils = std::clamp(o.fils, 1, std::max(1, o.nombre));
  std::vector<groupe> groupes(static_cast<std::size_t>(fils));
  const std::vector<jeu_client::couleur_t> couleurs = couleurs_robots(o.nombre);
  for (int i = 0; i < o.nombre; ++i) {
    groupes[static_cast<std::size_t>(i % fils)].robots.emplace_back(
        couleurs[static_cast<std::size_t>(i)], o.sortes[static_cast<std::size_t>(i) % o.sortes.size()],
        o.hote, o.port, o.delai);
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
  for (const groupe& g : groupes) {
    b.allers_retours.insert(b.allers_retours.end(), g.allers_retours.begin(), g.allers_retours.end());
  }
  return b;
}

}  // namespace jeu::bots
