// Recording sizes and seeks, from a recording of a real game:
//   mesure_enregistrement SOURCE DOSSIER
// rewrites SOURCE's frames at several zstd levels (size per hour of play,
// compression time per chunk), then synthesises one hour (144,000 frames:
// SOURCE's frames over and over, renumbered) and times opening it and
// seeking random ticks. Writes its files in DOSSIER, which must exist.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "enregistrement/ecrivain.h"
#include "enregistrement/lecteur.h"

namespace {

using namespace jeu::enregistrement;
using horloge = std::chrono::steady_clock;

double ms(horloge::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The frame of `source` renumbered as tick `tick` (its TICK and FIN TICK lines).
std::string renumerote(const std::string& source, std::uint64_t tick) {
  const std::size_t fin_tete = source.find("\r\n");
  const std::size_t debut_fin = source.rfind("FIN TICK ");
  const std::size_t perdus = source.rfind(' ', fin_tete);
  return "TICK " + std::to_string(tick) + source.substr(perdus, fin_tete - perdus) +
         source.substr(fin_tete, debut_fin - fin_tete) + "FIN TICK " + std::to_string(tick) +
         "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage : mesure_enregistrement SOURCE DOSSIER\n");
    return 1;
  }
  const std::filesystem::path dossier = argv[2];
  std::vector<trame_enregistree> trames;
  std::size_t octets_bruts = 0;
  {
    lecteur l = lecteur::ouvre(argv[1]);
    while (auto t = l.suivante()) {
      octets_bruts += t->texte.size();
      trames.push_back(std::move(*t));
    }
  }
  if (trames.empty()) {
    std::fprintf(stderr, "mesure_enregistrement : %s est vide\n", argv[1]);
    return 1;
  }
  const std::uint64_t etendue = trames.back().tick - trames.front().tick + 1;
  constexpr double ticks_par_heure = 40.0 * 3600.0;
  std::printf("source : %zu trames sur %llu ticks, %.1f Ko de texte par trame\n", trames.size(),
              static_cast<unsigned long long>(etendue),
              static_cast<double>(octets_bruts) / trames.size() / 1024);
  std::printf("texte brut : %.0f Mo par heure\n",
              static_cast<double>(octets_bruts) / trames.size() * ticks_par_heure / 1e6);
  std::printf("niveau  Mo/heure  ms par bloc de 40 trames\n");
  for (const int niveau : {1, 3, 6, 9, 12, 15, 19}) {
    const auto chemin = dossier / ("niveau" + std::to_string(niveau) + ".enr");
    std::filesystem::remove(chemin);
    const auto debut = horloge::now();
    std::uint64_t octets = 0;
    {
      ecrivain e(chemin.string(), {.niveau = niveau});
      for (const auto& t : trames) e.ajoute(t.tick, t.texte);
      e.termine();
      octets = e.octets();
    }
    const double duree = ms(horloge::now() - debut);
    std::printf("%6d  %8.1f  %6.2f\n", niveau,
                static_cast<double>(octets) / trames.size() * ticks_par_heure / 1e6,
                duree / (static_cast<double>(trames.size()) / 40.0));
    std::filesystem::remove(chemin);
  }

  // One hour of frames, at the default level.
  const auto heure = dossier / "heure.enr";
  std::filesystem::remove(heure);
  const auto debut = horloge::now();
  std::uint64_t octets = 0;
  {
    ecrivain e(heure.string());
    for (std::uint64_t k = 0; k < static_cast<std::uint64_t>(ticks_par_heure); ++k) {
      e.ajoute(k + 1, renumerote(trames[k % trames.size()].texte, k + 1));
    }
    e.termine();
    octets = e.octets();
  }
  std::printf("une heure (niveau 9) : %.1f Mo, ecrite en %.1f s\n",
              static_cast<double>(octets) / 1e6, ms(horloge::now() - debut) / 1000);
  const auto avant_ouverture = horloge::now();
  lecteur l = lecteur::ouvre(heure.string());
  std::printf("ouverture (index de %llu trames) : %.2f ms\n",
              static_cast<unsigned long long>(l.nombre_trames()),
              ms(horloge::now() - avant_ouverture));
  std::mt19937_64 alea(1);
  std::vector<double> durees;
  for (int i = 0; i < 500; ++i) {
    const std::uint64_t tick = 1 + alea() % static_cast<std::uint64_t>(ticks_par_heure);
    const auto t0 = horloge::now();
    const bool trouve = l.cherche(tick);
    const auto t = l.suivante();
    durees.push_back(ms(horloge::now() - t0));
    if (!trouve || !t || t->tick != tick) {
      std::fprintf(stderr, "mesure_enregistrement : tick %llu introuvable\n",
                   static_cast<unsigned long long>(tick));
      return 1;
    }
  }
  std::sort(durees.begin(), durees.end());
  std::printf("recherche d'un tick au hasard (500) : mediane %.2f ms, p99 %.2f ms, max %.2f ms\n",
              durees[durees.size() / 2], durees[durees.size() * 99 / 100], durees.back());
  std::filesystem::remove(heure);
  return 0;
}
