// The kill feed: only ships destroyed go in, newest first, the oldest
// leaving past its size; missed events counted.
#include "spectateur/fil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu::spectateur {
namespace {

using sorte = jeu_client::evenement::sorte;

jeu_client::evenement ev(std::int64_t tick, sorte s, jeu_client::couleur_t tireur,
                         jeu_client::couleur_t cible) {
  jeu_client::evenement e;
  e.tick = tick;
  e.quoi = s;
  e.tireur = tireur;
  e.couleur = cible;
  return e;
}

std::string texte(const fil_victimes& f) {
  std::string t;
  for (const auto& e : f.victimes()) {
    t += std::to_string(e.tick) + ":" + std::to_string(e.tireur) + ">" + std::to_string(e.couleur) + " ";
  }
  return t + "manques " + std::to_string(f.manques());
}

TEST(FilVictimes, KeepsTheLastShipsDestroyedNewestFirst) {
  fil_victimes f(3);
  const struct {
    std::vector<jeu_client::evenement> lot;
    std::int64_t manques;
    bool change;
    std::string attendu;
  } etapes[] = {
      {{}, 0, false, "manques 0"},
      {{ev(5, sorte::arrive, 0, 1), ev(6, sorte::touche, 2, 1), ev(7, sorte::part, 0, 1)},
       0, false, "manques 0"},
      {{ev(9, sorte::touche, 2, 1), ev(9, sorte::detruit, 2, 1), ev(9, sorte::part, 0, 1)},
       0, true, "9:2>1 manques 0"},
      {{ev(10, sorte::detruit, 3, 4), ev(11, sorte::detruit, 4, 4)}, 0, true,
       "11:4>4 10:3>4 9:2>1 manques 0"},
      {{}, 7, true, "11:4>4 10:3>4 9:2>1 manques 7"},
      {{ev(12, sorte::detruit, 5, 6)}, 1, true, "12:5>6 11:4>4 10:3>4 manques 8"},
  };
  int n = 0;
  for (const auto& e : etapes) {
    EXPECT_EQ(f.ajoute(e.lot, e.manques), e.change) << "step " << n;
    EXPECT_EQ(texte(f), e.attendu) << "step " << n;
    ++n;
  }
}

}  // namespace
}  // namespace jeu::spectateur
