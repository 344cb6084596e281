#include "terminal/classement.h"

#include <cmath>
#include <cstdio>
#include <cstdint>

namespace jeu::terminal {

namespace {

std::string rang(std::size_t n, const jeu_client::score& s) {
  char precision[8] = "-";
  if (s.tirs > 0) {
    std::snprintf(precision, sizeof precision, "%lld%%",
                  static_cast<long long>(std::llround(100.0 * static_cast<double>(s.touches_donnees) /
                                                      static_cast<double>(s.tirs))));
  }
  char texte[96];
  std::snprintf(texte, sizeof texte, "%2zu #%06llx %6lld %6lld %4s", n,
                static_cast<unsigned long long>(static_cast<std::uint64_t>(s.couleur) & 0xFFFFFFu),
                static_cast<long long>(s.victoires), static_cast<long long>(s.morts), precision);
  return texte;
}

}  // namespace

panneau panneau_classement(const std::optional<std::vector<jeu_client::score>>& scores,
                           bool servis, std::size_t lignes_max) {
  panneau p;
  const auto ajoute = [&](std::string ligne, std::optional<jeu_client::couleur_t> c) {
    p.lignes.push_back(std::move(ligne));
    p.couleurs.push_back(c);
  };
  ajoute(" # colour   kills deaths  acc", std::nullopt);
  if (!servis) {
    ajoute(" this server keeps no scores", std::nullopt);
  } else if (!scores) {
    ajoute(" reading the scores...", std::nullopt);
  } else if (scores->empty()) {
    ajoute(" no player yet", std::nullopt);
  } else {
    const std::size_t place = lignes_max > 1 ? lignes_max - 1 : 0;
    const bool tous = scores->size() <= place;
    const std::size_t montres = tous ? scores->size() : (place > 0 ? place - 1 : 0);
    for (std::size_t i = 0; i < montres; ++i) ajoute(rang(i + 1, (*scores)[i]), (*scores)[i].couleur);
    if (!tous && place > 0) {
      ajoute(" and " + std::to_string(scores->size() - montres) + " more", std::nullopt);
    }
  }
  if (p.lignes.size() > lignes_max) {
    p.lignes.resize(lignes_max);
    p.couleurs.resize(lignes_max);
  }
  return p;
}

}  // namespace jeu::terminal
