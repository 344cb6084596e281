#include "terminal/couleurs.h"

#include <array>
#include <limits>

namespace jeu::terminal {

namespace {

constexpr std::array<rgb, 16> systeme{{{0, 0, 0},
                                       {205, 0, 0},
                                       {0, 205, 0},
                                       {205, 205, 0},
                                       {0, 0, 238},
                                       {205, 0, 205},
                                       {0, 205, 205},
                                       {229, 229, 229},
                                       {127, 127, 127},
                                       {255, 0, 0},
                                       {0, 255, 0},
                                       {255, 255, 0},
                                       {92, 92, 255},
                                       {255, 0, 255},
                                       {0, 255, 255},
                                       {255, 255, 255}}};

constexpr std::array<int, 6> niveaux_cube{0, 95, 135, 175, 215, 255};

int distance2(rgb a, rgb b) {
  const int dr = a.r - b.r;
  const int dg = a.g - b.g;
  const int db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

rgb composantes(std::int64_t couleur) {
  const auto v = static_cast<std::uint64_t>(couleur);
  return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
          static_cast<int>(v & 0xFF)};
}

rgb teinte_terminal(int indice) {
  if (indice < 16) return systeme[static_cast<std::size_t>(indice)];
  if (indice < 232) {
    const int i = indice - 16;
    return {niveaux_cube[static_cast<std::size_t>(i / 36)],
            niveaux_cube[static_cast<std::size_t>(i / 6 % 6)],
            niveaux_cube[static_cast<std::size_t>(i % 6)]};
  }
  const int gris = 8 + 10 * (indice - 232);
  return {gris, gris, gris};
}

int couleur_proche(std::int64_t couleur, int nb_couleurs) {
  const rgb cible = composantes(couleur);
  int premier = 0;
  int dernier = 7;
  if (nb_couleurs >= 256) {
    premier = 16;
    dernier = 255;
  } else if (nb_couleurs >= 16) {
    dernier = 15;
  }
  int meilleur = premier;
  int meilleure_distance = std::numeric_limits<int>::max();
  for (int i = premier; i <= dernier; ++i) {
    const int d = distance2(cible, teinte_terminal(i));
    if (d < meilleure_distance) {
      meilleur = i;
      meilleure_distance = d;
    }
  }
  return meilleur;
}

bool sombre(std::int64_t couleur) {
  const rgb c = composantes(couleur);
  return 299 * c.r + 587 * c.g + 114 * c.b < 128'000;
}

}  // namespace jeu::terminal
