#include "charge/stats_serveur.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace jeu::charge {

namespace {

template <class T>
std::optional<T> nombre(std::string_view texte) {
  T v{};
  const auto [fin, ec] = std::from_chars(texte.data(), texte.data() + texte.size(), v);
  if (ec != std::errc{} || fin != texte.data() + texte.size()) return std::nullopt;
  return v;
}

}  // namespace

std::optional<releve_stats> lit_stats(std::string_view ligne) {
  constexpr std::string_view entete = "PUT STATS ";
  if (!ligne.starts_with(entete)) return std::nullopt;
  ligne.remove_prefix(entete.size());
  releve_stats r;
  bool ticks_lus = false;
  while (!ligne.empty()) {
    const std::size_t espace = ligne.find(' ');
    const std::string_view champ = ligne.substr(0, espace);
    ligne.remove_prefix(espace == std::string_view::npos ? ligne.size() : espace + 1);
    const std::size_t egal = champ.find('=');
    if (egal == std::string_view::npos) continue;
    const std::string_view nom = champ.substr(0, egal);
    const std::string_view valeur = champ.substr(egal + 1);
    if (nom == "ticks_s") {
      const auto v = nombre<double>(valeur);
      if (!v) return std::nullopt;
      r.ticks_s = *v;
      ticks_lus = true;
      continue;
    }
    for (auto [cle, cible] : {std::pair{"tick_us", &r.tick_us}, {"tick_p99_us", &r.tick_p99_us},
                              {"joueurs", &r.joueurs}, {"spectateurs", &r.spectateurs},
                              {"vaisseaux", &r.vaisseaux}, {"balles", &r.balles},
                              {"requetes_s", &r.requetes_s}}) {
      if (nom == cle) *cible = nombre<std::int64_t>(valeur);
    }
  }
  if (!ticks_lus) return std::nullopt;
  return r;
}

std::optional<resume_ticks> resume(std::vector<double> ticks) {
  if (ticks.empty()) return std::nullopt;
  std::sort(ticks.begin(), ticks.end());
  const std::size_t n = ticks.size();
  const double median = n % 2 ? ticks[n / 2] : (ticks[n / 2 - 1] + ticks[n / 2]) / 2;
  return resume_ticks{ticks.front(), median};
}

}  // namespace jeu::charge
