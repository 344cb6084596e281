#include "world/liste_balles.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace jeu {
namespace {

balle balle_numero(int k) { return {static_cast<double>(k), 2.0 * k, 0.01 * k, k}; }

std::vector<couleur_t> couleurs(const liste_balles& l) {
  std::vector<couleur_t> c;
  for (const balle& b : l) c.push_back(b.couleur);
  return c;
}

TEST(ListeBalles, NewestFirstThroughGrowthAndSlides) {
  liste_balles l;
  std::deque<balle> attendu;
  // Growth from nothing, then drops from the tail and more pushes, so the
  // block both grows and slides its list back to the end.
  for (int tour = 0; tour < 6; ++tour) {
    for (int k = 0; k < 150; ++k) {
      const balle b = balle_numero(tour * 1000 + k);
      l.push_front(b);
      attendu.push_front(b);
    }
    const std::size_t garde = attendu.size() / 3;
    l.garde_premieres(garde);
    attendu.resize(garde);
    ASSERT_EQ(l.size(), attendu.size());
    const pas_balle* pas = l.pas();
    for (std::size_t k = 0; k < attendu.size(); ++k) {
      ASSERT_EQ(l[k].couleur, attendu[k].couleur) << "tour " << tour << ", " << k;
      ASSERT_EQ(l[k].x, attendu[k].x);
      ASSERT_EQ(pas[k].dx, pas_de(attendu[k].angle).dx) << "moves stay beside their bullets";
      ASSERT_EQ(pas[k].dy, pas_de(attendu[k].angle).dy);
    }
  }
  EXPECT_EQ(l.front().couleur, attendu.front().couleur);
}

TEST(ListeBalles, AssignKeepsTheGivenOrderAndTakesTheMovesLater) {
  liste_balles l;
  l.push_front(balle_numero(9));
  const std::vector<balle> source{balle_numero(3), balle_numero(2), balle_numero(1)};
  l.assign(source.begin(), source.end());
  EXPECT_EQ(couleurs(l), (std::vector<couleur_t>{3, 2, 1}));
  l.push_front(balle_numero(4));
  EXPECT_EQ(couleurs(l), (std::vector<couleur_t>{4, 3, 2, 1}));
  const pas_balle* pas = l.pas();
  for (std::size_t k = 0; k < l.size(); ++k) {
    EXPECT_EQ(pas[k].dx, pas_de(l[k].angle).dx);
    EXPECT_EQ(pas[k].dy, pas_de(l[k].angle).dy);
  }
  l.clear();
  EXPECT_TRUE(l.empty());
  l.push_front(balle_numero(5));
  EXPECT_EQ(couleurs(l), (std::vector<couleur_t>{5}));
  EXPECT_EQ(l.pas()[0].dx, pas_de(l[0].angle).dx);
}

TEST(ListeBalles, ACopyOfTheRangeIsTheListInOrder) {
  liste_balles l;
  for (int k = 0; k < 5; ++k) l.push_front(balle_numero(k));
  std::vector<balle> copie;
  copie.assign(l.begin(), l.end());
  ASSERT_EQ(copie.size(), 5u);
  EXPECT_EQ(copie.front().couleur, 4);
  EXPECT_EQ(copie.back().couleur, 0);
}

}  // namespace
}  // namespace jeu
