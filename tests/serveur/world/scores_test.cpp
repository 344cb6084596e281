#include "world/scores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <random>
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
  for (int k = 0; k < 4; ++k) t.touche(rouge, bleu, false, 20);
  t.touche(rouge, bleu, true, 40);  // kill
  t.arrivee(bleu, 50);
  t.touche(rouge, bleu, false, 55);
  t.touche(rouge, rouge, false, 55);  // its own bullet
  t.touche(bleu, rouge, true, 60);  // killed with its last point
  t.arrivee(rouge, 70);
  t.touche(rouge, bleu, true, 75);

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
    t.touche(1, c, true, 1);
  }
  t.depart(1, 5);
  t.arrivee(20, 5);
  t.touche(1, 20, true, 6);  // after its shooter left
  t.arrivee(1, 8);
  t.arrivee(21, 8);
  t.touche(1, 21, true, 9);
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
  t.touche(2, 1, false, 0);
  t.touche(2, 3, true, 1);  // 2 has a kill
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
  t.touche(2, 5, false, 3);
  m = par_couleur(t, 3);
  ASSERT_EQ(m.count(2), 1u);
  EXPECT_EQ(m.at(2).s, (score{.touches_donnees = 1}));

  tableau_scores vide(0);
  vide.arrivee(1, 0);
  vide.touche(1, 2, true, 0);
  EXPECT_EQ(vide.taille(), 0u);
}

// The same operations on the table and on a plain model of its rules (a
// map, eviction by scanning for the oldest activity): the colours kept,
// their figures and their activity ranks must agree after every step.
// Colours sharing low bits and sign extremes crowd the index, so that its
// growth, probing and deletion run through their edge cases.
class modele_scores {
 public:
  explicit modele_scores(std::size_t capacite) : capacite_(capacite) {}
  void arrivee(couleur_t c, std::uint64_t tick) {
    fiche* f = trouve_ou_cree(c);
    if (f == nullptr) return;
    if (f->l.vivant) depart(c, tick);
    f->l.vivant = true;
    f->debut = tick;
    f->serie = 0;
    ++f->l.s.vies;
    f->l.vu = vu_++;
  }
  void depart(couleur_t c, std::uint64_t tick) {
    const auto it = t_.find(c);
    if (it == t_.end() || !it->second.l.vivant) return;
    it->second.l.s.ticks_en_vie += static_cast<std::int64_t>(tick - it->second.debut);
    it->second.l.vivant = false;
    it->second.l.vu = vu_++;
  }
  void tir(couleur_t c) {
    if (fiche* f = trouve_ou_cree(c)) ++f->l.s.tirs;
  }
  void touche(couleur_t tireur, couleur_t cible, bool detruit, std::uint64_t tick) {
    if (tireur != cible) {
      if (fiche* f = trouve_ou_cree(tireur)) {
        ++f->l.s.touches_donnees;
        if (detruit) {
          ++f->l.s.destructions;
          f->l.s.meilleure_serie = std::max(f->l.s.meilleure_serie, ++f->serie);
        }
        if (!f->l.vivant) f->l.vu = vu_++;
      }
    }
    if (fiche* f = trouve_ou_cree(cible)) {
      ++(tireur == cible ? f->l.s.touches_soi : f->l.s.touches_recues);
      if (detruit) {
        ++f->l.s.morts;
        depart(cible, tick);
      }
    }
  }
  std::map<couleur_t, ligne_score> lignes(std::uint64_t tick) const {
    std::map<couleur_t, ligne_score> m;
    for (const auto& [c, f] : t_) {
      m[c] = f.l;
      if (f.l.vivant) m[c].s.ticks_en_vie += static_cast<std::int64_t>(tick - f.debut);
    }
    return m;
  }
  std::vector<couleur_t> vivants() const {
    std::vector<couleur_t> v;
    for (const auto& [c, f] : t_) {
      if (f.l.vivant) v.push_back(c);
    }
    return v;
  }

 private:
  struct fiche {
    ligne_score l;
    std::int64_t serie = 0;
    std::uint64_t debut = 0;
  };
  fiche* trouve_ou_cree(couleur_t c) {
    if (capacite_ == 0) return nullptr;
    if (const auto it = t_.find(c); it != t_.end()) return &it->second;
    if (t_.size() >= capacite_) {
      auto part = t_.end();
      for (auto it = t_.begin(); it != t_.end(); ++it) {
        if (it->second.l.vivant) continue;
        const auto cle = [](const fiche& f) { return std::pair(f.l.s.destructions > 0, f.l.vu); };
        if (part == t_.end() || cle(it->second) < cle(part->second)) part = it;
      }
      if (part != t_.end()) t_.erase(part);
    }
    fiche& f = t_[c];
    f.l.couleur = c;
    f.l.vu = vu_++;
    return &f;
  }
  std::size_t capacite_;
  std::map<couleur_t, fiche> t_;
  std::uint64_t vu_ = 1;
};

TEST(TableauScores, AgreesWithAPlainModelOfItsRules) {
  std::vector<couleur_t> couleurs = {std::numeric_limits<couleur_t>::min(), std::numeric_limits<couleur_t>::max(), -1};
  for (couleur_t c = 0; c < 40; ++c) couleurs.push_back(c);
  for (couleur_t c = 1; c < 40; ++c) couleurs.push_back(c << 40);
  std::mt19937_64 hasard(7);
  for (const std::size_t capacite : {0, 1, 3, 17, 60, 200}) {
    SCOPED_TRACE("capacity " + std::to_string(capacite));
    tableau_scores t(capacite);
    modele_scores modele(capacite);
    const auto une_couleur = [&] { return couleurs[hasard() % couleurs.size()]; };
    std::uint64_t tick = 0;
    for (int pas = 0; pas < 4'000 && !HasFailure(); ++pas) {
      const std::vector<couleur_t> vivants = modele.vivants();
      const couleur_t c = une_couleur();
      const int quoi = static_cast<int>(hasard() % 4);
      if (quoi == 0) {
        t.arrivee(c, tick);
        modele.arrivee(c, tick);
      } else if (quoi == 1 && !vivants.empty()) {
        const couleur_t qui = vivants[hasard() % vivants.size()];
        t.depart(qui, tick);
        modele.depart(qui, tick);
      } else if (quoi == 2) {
        t.tir(c);
        modele.tir(c);
      } else if (!vivants.empty()) {
        const couleur_t cible = hasard() % 8 == 0 ? c : vivants[hasard() % vivants.size()];
        const bool detruit = hasard() % 3 == 0;
        t.touche(c, cible, detruit, tick);
        modele.touche(c, cible, detruit, tick);
      }
      tick += hasard() % 2;
      const auto attendu = modele.lignes(tick);
      ASSERT_EQ(t.taille(), attendu.size()) << "step " << pas;
      const auto vu = par_couleur(t, tick);
      for (const auto& [couleur, l] : attendu) {
        const auto it = vu.find(couleur);
        ASSERT_NE(it, vu.end()) << "step " << pas << ": colour " << couleur << " missing";
        ASSERT_EQ(it->second.s, l.s) << "step " << pas << ": colour " << couleur;
        ASSERT_EQ(it->second.vivant, l.vivant) << "step " << pas << ": colour " << couleur;
        ASSERT_EQ(it->second.vu, l.vu) << "step " << pas << ": colour " << couleur;
      }
    }
  }
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
