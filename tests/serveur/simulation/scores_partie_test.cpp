// Scores and events as the game makes them: the real tick, bullets fired by
// the players' action, ships leaving as sessions make them leave.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "simulation/actions.h"
#include "simulation/destruction.h"
#include "simulation/tick.h"
#include "support/monde_essai.h"

namespace jeu {
namespace {

using essai::navire;

class ScoresPartie : public ::testing::Test {
 protected:
  static constexpr couleur_t rouge = 0xff0000, bleu = 0xff, vert = 0xff00;

  identite pose(double x, couleur_t c, double angle = 0.0) REQUIRES(m.verrou_monde) {
    return essai::id_de(place_vaisseau(m, navire(x, 500.0, c, angle)));
  }
  void tire(const identite& id, int fois) REQUIRES(m.verrou_monde) {
    for (int k = 0; k < fois; ++k) traite_action_joueur(m, id, action::Tire);
  }
  void avance(int ticks) REQUIRES(m.verrou_monde) {
    for (int k = 0; k < ticks; ++k) avance_monde(m);
  }
  std::map<couleur_t, ligne_score> scores() REQUIRES(m.verrou_monde) {
    std::vector<ligne_score> lignes;
    m.scores.copie(lignes, m.numero_tick);
    std::map<couleur_t, ligne_score> par;
    for (const ligne_score& l : lignes) par[l.couleur] = l;
    return par;
  }
  std::vector<evenement> evenements(std::uint64_t depuis = 0) REQUIRES(m.verrou_monde) {
    std::vector<evenement> e;
    m.evenements.lit(depuis, e);
    return e;
  }

  monde m{1};
};

// Red, 100 units left of blue and facing it, fires six bullets at once:
// they fly together, 16.1 units ahead when first tested, and meet blue in
// the 22nd tick (112.6 + 22 * 3.5 = 189.6, within 13 of 200). Five hits
// destroy blue; the sixth bullet flies on.
TEST_F(ScoresPartie, ScriptedDuelGivesExactFiguresAndEvents) {
  VerrouGarde garde(m.verrou_monde);
  const identite r = pose(100.0, rouge);
  pose(200.0, bleu);
  tire(r, 6);
  avance(21);
  EXPECT_EQ(m.vaisseaux.size(), 2u);
  avance(1);
  ASSERT_EQ(m.vaisseaux.size(), 1u);
  EXPECT_EQ(m.balles.size(), 1u);

  const auto s = scores();
  EXPECT_EQ(s.at(rouge).s, (score{.destructions = 1, .touches_donnees = 5, .tirs = 6, .vies = 1,
                                  .ticks_en_vie = 22, .meilleure_serie = 1}));
  EXPECT_EQ(s.at(bleu).s, (score{.morts = 1, .touches_recues = 5, .vies = 1, .ticks_en_vie = 22}));
  EXPECT_TRUE(s.at(rouge).vivant);
  EXPECT_FALSE(s.at(bleu).vivant);

  std::vector<evenement> attendus = {
      {.tick = 0, .sorte = sorte_evenement::arrive, .a = rouge},
      {.tick = 0, .sorte = sorte_evenement::arrive, .a = bleu},
  };
  for (int vie = 4; vie >= 0; --vie) {
    attendus.push_back({.tick = 22, .sorte = sorte_evenement::touche, .vie = vie, .a = rouge, .b = bleu});
  }
  attendus.push_back({.tick = 22, .sorte = sorte_evenement::detruit, .a = rouge, .b = bleu});
  attendus.push_back({.tick = 22, .sorte = sorte_evenement::part, .raison = raison_depart::detruit, .a = bleu});
  EXPECT_EQ(evenements(), attendus);
}

// Red fires at green and quits before its bullet lands: the hit is red's.
// Then another player takes red: a second life of the same colour, its own
// shots counted with the first's, nothing of the first ship's acted on.
TEST_F(ScoresPartie, ShooterThatLeftAndColourTakenAgain) {
  VerrouGarde garde(m.verrou_monde);
  const identite r = pose(100.0, rouge);
  pose(200.0, vert);
  tire(r, 1);
  avance(2);
  detruit_vaisseau(m, r, raison_depart::quitte);
  const std::uint64_t apres_depart = m.evenements.prochain();
  avance(20);
  const identite r2 = pose(700.0, rouge, 3.14159);
  tire(r2, 2);
  tire(r, 3);  // the first ship's session: gone, nothing fired
  avance(10);
  detruit_vaisseau(m, r2, raison_depart::deconnecte);

  const auto s = scores();
  EXPECT_EQ(s.at(rouge).s, (score{.touches_donnees = 1, .tirs = 3, .vies = 2,
                                  .ticks_en_vie = 2 + 10}));
  EXPECT_EQ(s.at(vert).s.touches_recues, 1);
  EXPECT_EQ(evenements(apres_depart).front(),
            (evenement{.tick = 22, .sorte = sorte_evenement::touche, .vie = 4, .a = rouge, .b = vert}));
  EXPECT_EQ(evenements(apres_depart).back(),
            (evenement{.tick = 32, .sorte = sorte_evenement::part,
                       .raison = raison_depart::deconnecte, .a = rouge}));
  const std::vector<evenement> tous = evenements();
  EXPECT_EQ(tous[2], (evenement{.tick = 2, .sorte = sorte_evenement::part,
                                .raison = raison_depart::quitte, .a = rouge}));
}

}  // namespace
}  // namespace jeu
