#include "world/scores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "world/evenements.h"

namespace jeu {
namespace {

std::map<couleur_t, ligne_score> par_couleur(const tableau_scores& t, std::uint64_t tick) {
  std::vector<ligne_score> lignes;
  t.copie(lignes, tick);
  std::map<couleur_t, ligne_score> m;
  for (const ligne_score& l : lignes) m[l.couleur] = l;
  return m;
}

// Two lives of red against blue: hits, a kill, a self-hit, a death, and
// red's second life, whose streak starts again.
TEST(TableauScores, CountsEachFigureAcrossLives) {
  tableau_scores t;
  const couleur_t rouge = 0xff0000, bleu = 0xff;
  t.arrivee(rouge, 10);
  t.arrivee(bleu, 12);
  for (int k = 0; k < 7; ++k) t.tir(rouge);
  for (int k = 0; k < 4; ++k) t.touche(rouge, bleu, false);
  t.touche(rouge, bleu, true);  // kill
  t.depart(bleu, 40);
  t.arrivee(bleu, 50);
  t.touche(rouge, bleu, false);
  t.touche(rouge, rouge, false);  // its own bullet
  t.touche(bleu, rouge, true);    // killed with its last point
  t.depart(rouge, 60);
  t.arrivee(rouge, 70);
  t.touche(rouge, bleu, true);
  t.depart(bleu, 75);

  const auto m = par_couleur(t, 100);
  const score r = m.at(rouge).s, b = m.at(bleu).s;
  EXPECT_EQ(r, (score{.destructions = 2, .morts = 1, .touches_donnees = 7, .touches_recues = 1,
                      .touches_soi = 1, .tirs = 7, .vies = 2,
                      .ticks_en_vie = (60 - 10) + (100 - 70), .meilleure_serie = 1}));
  EXPECT_EQ(b, (score{.destructions = 1, .morts = 2, .touches_donnees = 1, .touches_recues = 7,
                      .touches_soi = 0, .tirs = 0, .vies = 2,
                      .ticks_en_vie = (40 - 12) + (75 - 50), .meilleure_serie = 1}));
  EXPECT_TRUE(m.at(rouge).vivant);
  EXPECT_FALSE(m.at(bleu).vivant);
}

// The best streak is the most kills in one life, kept after the life ends;
// a shooter that left still scores with the bullets it left flying.
TEST(TableauScores, StreaksAndShootersThatLeft) {
  tableau_scores t;
  t.arrivee(1, 0);
  for (couleur_t c = 10; c < 13; ++c) {
    t.arrivee(c, 0);
    t.touche(1, c, true);
    t.depart(c, 1);
  }
  t.depart(1, 5);
  t.arrivee(20, 5);
  t.touche(1, 20, true);  // after its shooter left
  t.depart(20, 6);
  t.arrivee(1, 8);
  t.arrivee(21, 8);
  t.touche(1, 21, true);
  const auto m = par_couleur(t, 9);
  EXPECT_EQ(m.at(1).s.destructions, 5);
  EXPECT_EQ(m.at(1).s.meilleure_serie, 4) << "three, and the one that landed after it left";
  EXPECT_EQ(m.at(1).s.ticks_en_vie, 5 + 1);
}

// Full: the colour seen longest ago without a kill leaves first, then the
// oldest with kills; a colour alive never leaves.
TEST(TableauScores, BoundedTableEvictsOldestWithoutKillsFirst) {
  tableau_scores t(3);
  t.suit_changements();
  t.arrivee(1, 0);  // stays alive
  t.arrivee(2, 0);
  t.arrivee(3, 0);
  t.touche(2, 1, false);
  t.touche(2, 3, true);  // 2 has a kill
  t.depart(3, 1);
  t.depart(2, 1);
  t.arrivee(4, 2);  // full: 3 (no kill) leaves, not 2 nor 1
  std::vector<ligne_score> changes;
  std::vector<couleur_t> oublies;
  t.prend_changements(changes, oublies, 2);
  EXPECT_EQ(oublies, (std::vector<couleur_t>{3}));
  t.depart(4, 3);
  t.arrivee(5, 3);  // 4 has no kill: it leaves before 2
  t.arrivee(6, 3);  // only 2 can leave now: 1, 5 alive
  auto m = par_couleur(t, 3);
  EXPECT_EQ(m.size(), 3u);
  EXPECT_TRUE(m.count(1) && m.count(5) && m.count(6));
  t.arrivee(7, 3);  // every colour alive: the table holds one more
  EXPECT_EQ(t.taille(), 4u);
  changes.clear();
  oublies.clear();
  t.prend_changements(changes, oublies, 3);
  std::sort(oublies.begin(), oublies.end());
  EXPECT_EQ(oublies, (std::vector<couleur_t>{2, 4}));
  // 2, the last shooter, left the table: its bullet still in flight starts
  // it again from nothing.
  t.touche(2, 5, false);
  m = par_couleur(t, 3);
  ASSERT_EQ(m.count(2), 1u);
  EXPECT_EQ(m.at(2).s, (score{.touches_donnees = 1}));

  tableau_scores vide(0);
  vide.arrivee(1, 0);
  vide.touche(1, 2, true);
  EXPECT_EQ(vide.taille(), 0u);
}

// A saver gets each changed colour once, every live colour each time (its
// time alive grows), and the table can be loaded back in its age order.
TEST(TableauScores, ChangesForTheSaverAndLoadingBack) {
  tableau_scores t;
  t.suit_changements();
  t.arrivee(1, 0);
  t.arrivee(2, 0);
  t.tir(2);
  t.depart(2, 4);
  std::vector<ligne_score> changes;
  std::vector<couleur_t> oublies;
  t.prend_changements(changes, oublies, 5);
  ASSERT_EQ(changes.size(), 2u);
  changes.clear();
  t.prend_changements(changes, oublies, 9);
  ASSERT_EQ(changes.size(), 1u) << "only the live colour";
  EXPECT_EQ(changes[0].couleur, 1);
  EXPECT_EQ(changes[0].s.ticks_en_vie, 9);

  tableau_scores chargee(2);
  std::vector<ligne_score> lignes;
  t.copie(lignes, 9);
  std::sort(lignes.begin(), lignes.end(),
            [](const ligne_score& a, const ligne_score& b) { return a.vu < b.vu; });
  for (const ligne_score& l : lignes) chargee.charge(l);
  chargee.arrivee(3, 0);  // 2 was seen last: 1 is older and leaves
  const auto m = par_couleur(chargee, 0);
  EXPECT_EQ(m.count(1), 0u);
  EXPECT_EQ(m.at(2).s.tirs, 1);
  EXPECT_FALSE(m.at(2).vivant);
}

TEST(JournalEvenements, RingKeepsTheLastAndCountsWhatWasMissed) {
  journal_evenements j(4);
  std::vector<evenement> lus;
  EXPECT_EQ(j.lit(0, lus), 0u);
  for (std::uint64_t n = 0; n < 10; ++n) j.ajoute({.tick = n, .a = static_cast<couleur_t>(n)});
  EXPECT_EQ(j.prochain(), 10u);
  EXPECT_EQ(j.lit(3, lus), 3u) << "3, 4, 5 were overwritten";
  ASSERT_EQ(lus.size(), 4u);
  EXPECT_EQ(lus.front().tick, 6u);
  EXPECT_EQ(lus.back().tick, 9u);
  lus.clear();
  EXPECT_EQ(j.lit(8, lus), 0u);
  EXPECT_EQ(lus.size(), 2u);
  lus.clear();
  EXPECT_EQ(j.lit(12, lus), 0u);
  EXPECT_TRUE(lus.empty());

  journal_evenements rien(0);
  rien.ajoute({});
  EXPECT_EQ(rien.lit(0, lus), 1u);
  EXPECT_TRUE(lus.empty());
}

}  // namespace
}  // namespace jeu
