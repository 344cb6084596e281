#include "simulation/actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "simulation/balles.h"
#include "support/monde_essai.h"

namespace jeu {
namespace {

using essai::navire;

TEST(TraiteActionJoueur, SpeedIsClampedToItsRange) {
  const struct {
    double avant;
    action geste;
    int fois;
    double apres;
  } cas[] = {{3.0, action::Accelere, 1, 3.0},   {2.95, action::Accelere, 1, 3.0},
             {0.0, action::Decelere, 1, -0.1},  {-1.95, action::Decelere, 1, -2.0},
             {-2.0, action::Decelere, 1, -2.0}, {-2.0, action::Accelere, 60, 3.0}};
  for (const auto& c : cas) {
    SCOPED_TRACE(testing::Message() << "speed " << c.avant << ", action " << static_cast<int>(c.geste)
                                    << " " << c.fois << " time(s)");
    monde m(1);
    VerrouGarde garde(m.verrou_monde);
    vaisseau& s = place_vaisseau(m, navire(100, 100, 0xff0000, 0.0, c.avant));
    for (int k = 0; k < c.fois; ++k) traite_action_joueur(m, essai::id_de(s), c.geste);
    EXPECT_EQ(s.vitesse, c.apres);
    EXPECT_EQ(s.x, 100.0);
    EXPECT_TRUE(m.balles.empty());
  }
}

TEST(TraiteActionJoueur, TurningIsNeverWrapped) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  const identite id = essai::id_de(place_vaisseau(m, navire(100, 100, 5)));
  for (int k = 0; k < 42; ++k) traite_action_joueur(m, id, action::Gauche);
  EXPECT_NEAR(m.vaisseaux.front().angle, 6.3, 1e-9);
  for (int k = 0; k < 84; ++k) traite_action_joueur(m, id, action::Droite);
  EXPECT_NEAR(m.vaisseaux.front().angle, -6.3, 1e-9);
  EXPECT_EQ(m.vaisseaux.front().vitesse, 0.0);
}

TEST(TraiteActionJoueur, ShotStartsAheadAtTheHeadOfTheList) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  const identite vert = essai::id_de(place_vaisseau(m, navire(100, 100, 0x00ff00)));
  const identite bleu = essai::id_de(place_vaisseau(m, navire(300, 300, 0x0000ff, 3.0)));
  traite_action_joueur(m, vert, action::Tire);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_DOUBLE_EQ(m.balles[0].x, 112.6);
  EXPECT_EQ(m.balles[0].y, 100.0);
  EXPECT_EQ(m.balles[0].angle, 0.0);
  EXPECT_EQ(m.balles[0].couleur, 0x00ff00);

  // Turning after the shot leaves the bullet's heading alone.
  traite_action_joueur(m, vert, action::Gauche);
  traite_action_joueur(m, vert, action::Tire);
  traite_action_joueur(m, bleu, action::Tire);
  ASSERT_EQ(m.balles.size(), 3u);
  EXPECT_EQ(m.balles[2].angle, 0.0);
  EXPECT_EQ(m.balles[1].angle, 0.15);
  EXPECT_NEAR(m.balles[1].x, 100 + 12.6 * std::cos(0.15), 1e-12);
  EXPECT_NEAR(m.balles[1].y, 100 + 12.6 * std::sin(0.15), 1e-12);
  EXPECT_EQ(m.balles[0].couleur, 0x0000ff);
  EXPECT_NEAR(m.balles[0].x, 300 + 12.6 * std::cos(3.0), 1e-12);
  EXPECT_NEAR(m.balles[0].y, 300 + 12.6 * std::sin(3.0), 1e-12);
}

TEST(TraiteActionJoueur, UnknownColourOrStaleSerialChangesNothing) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  // An older ship of colour 7 (serial 1) left; a newer one has serial 2.
  detruit_vaisseau(m, essai::id_de(place_vaisseau(m, navire(200, 200, 7))), raison_depart::quitte);
  place_vaisseau(m, navire(200, 200, 7, 1.0, 1.0, 5));
  place_vaisseau(m, navire(100, 100, 8, 0.5, 0.5, 3));
  const std::deque<vaisseau> avant = m.vaisseaux;
  for (int a = 0; a <= 5; ++a) {
    EXPECT_NO_THROW(traite_action_joueur(m, identite{9, 3}, static_cast<action>(a)));
    EXPECT_NO_THROW(traite_action_joueur(m, identite{7, 1}, static_cast<action>(a)));
  }
  traite_action_joueur(m, identite{8, 3}, action::Quitte);
  for (std::size_t k = 0; k < avant.size(); ++k) EXPECT_TRUE(essai::meme(m.vaisseaux[k], avant[k]));
  EXPECT_TRUE(m.balles.empty());

  traite_action_joueur(m, identite{7, 2}, action::Accelere);
  traite_action_joueur(m, identite{7, 2}, action::Tire);
  EXPECT_DOUBLE_EQ(m.vaisseaux[1].vitesse, 1.1);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.balles[0].couleur, 7);
  EXPECT_TRUE(essai::meme(m.vaisseaux[0], avant[0]));
}

// A colour has at most max_balles_par_vaisseau bullets in flight; a shot
// beyond that fires nothing, and bullets that leave the arena or hit a ship
// make room again.
TEST(TraiteActionJoueur, BulletsInFlightAreBoundedPerColour) {
  constexpr int borne = configuration::max_balles_par_vaisseau;
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  // Colour 1's bullets cross the right border on their 4th tick; colour 2's
  // are 12.9 from ship 3 after their first.
  const identite un = essai::id_de(place_vaisseau(m, navire(960, 100, 1)));
  const identite deux = essai::id_de(place_vaisseau(m, navire(100, 500, 2)));
  place_vaisseau(m, navire(129, 500, 3));
  // The count kept by the world, checked against the list itself.
  const auto en_vol = [&m](couleur_t c) REQUIRES(m.verrou_monde) {
    const auto n = std::count_if(m.balles.begin(), m.balles.end(),
                                 [c](const balle& b) { return b.couleur == c; });
    const auto compte = m.balles_par_couleur.find(c);
    EXPECT_EQ(compte == m.balles_par_couleur.end() ? 0 : compte->second, n) << "colour " << c;
    return static_cast<int>(n);
  };
  for (int k = 0; k < borne + 5; ++k) {
    traite_action_joueur(m, un, action::Tire);
    traite_action_joueur(m, deux, action::Tire);
  }
  EXPECT_EQ(en_vol(1), borne);
  EXPECT_EQ(en_vol(2), borne);

  mise_a_jour_balles(m);
  EXPECT_EQ(en_vol(2), borne - configuration::max_pt_vie) << "five hits destroyed ship 3";
  traite_action_joueur(m, deux, action::Tire);
  traite_action_joueur(m, un, action::Tire);
  EXPECT_EQ(en_vol(2), borne - configuration::max_pt_vie + 1);
  EXPECT_EQ(en_vol(1), borne);
  EXPECT_EQ(m.balles.front().couleur, 2);

  for (int k = 0; k < 3; ++k) mise_a_jour_balles(m);
  EXPECT_EQ(en_vol(1), 0);
  EXPECT_EQ(m.balles_par_couleur.count(1), 0u);
  traite_action_joueur(m, un, action::Tire);
  EXPECT_EQ(en_vol(1), 1);
}

}  // namespace
}  // namespace jeu
