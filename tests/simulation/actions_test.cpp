#include "simulation/actions.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/monde_essai.h"

namespace jeu {
namespace {

using essai::navire;

TEST(TraiteActionJoueur, SpeedIsClampedToItsRange) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_front(navire(100, 100, 0xff0000, 0.0, 3.0));
  vaisseau& s = m.vaisseaux.front();
  traite_action_joueur(m, 0xff0000, action::Accelere);
  EXPECT_EQ(s.vitesse, 3.0);
  s.vitesse = 2.95;
  traite_action_joueur(m, 0xff0000, action::Accelere);
  EXPECT_EQ(s.vitesse, 3.0);
  s.vitesse = 0.0;
  traite_action_joueur(m, 0xff0000, action::Decelere);
  EXPECT_DOUBLE_EQ(s.vitesse, -0.1);
  s.vitesse = -1.95;
  traite_action_joueur(m, 0xff0000, action::Decelere);
  EXPECT_EQ(s.vitesse, -2.0);
  traite_action_joueur(m, 0xff0000, action::Decelere);
  EXPECT_EQ(s.vitesse, -2.0);
  for (int k = 0; k < 60; ++k) traite_action_joueur(m, 0xff0000, action::Accelere);
  EXPECT_EQ(s.vitesse, 3.0);
  EXPECT_EQ(s.x, 100.0);
  EXPECT_TRUE(m.balles.empty());
}

TEST(TraiteActionJoueur, TurningIsNeverWrapped) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_front(navire(100, 100, 5));
  for (int k = 0; k < 42; ++k) traite_action_joueur(m, 5, action::Gauche);
  EXPECT_NEAR(m.vaisseaux.front().angle, 6.3, 1e-9);
  for (int k = 0; k < 84; ++k) traite_action_joueur(m, 5, action::Droite);
  EXPECT_NEAR(m.vaisseaux.front().angle, -6.3, 1e-9);
  EXPECT_EQ(m.vaisseaux.front().vitesse, 0.0);
}

TEST(TraiteActionJoueur, ShotStartsAheadAtTheHeadOfTheList) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  m.vaisseaux.push_front(navire(100, 100, 0x00ff00));
  m.vaisseaux.push_front(navire(300, 300, 0x0000ff, 3.0));
  traite_action_joueur(m, 0x00ff00, action::Tire);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_DOUBLE_EQ(m.balles[0].x, 112.6);
  EXPECT_EQ(m.balles[0].y, 100.0);
  EXPECT_EQ(m.balles[0].angle, 0.0);
  EXPECT_EQ(m.balles[0].couleur, 0x00ff00);

  // Turning after the shot leaves the bullet's heading alone.
  traite_action_joueur(m, 0x00ff00, action::Gauche);
  traite_action_joueur(m, 0x00ff00, action::Tire);
  traite_action_joueur(m, 0x0000ff, action::Tire);
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
  m.vaisseaux.push_front(navire(200, 200, 7, 1.0, 1.0, 5, 2));
  m.vaisseaux.push_front(navire(100, 100, 8, 0.5, 0.5, 3, 3));
  const std::deque<vaisseau> avant = m.vaisseaux;
  for (int a = 0; a <= 5; ++a) {
    EXPECT_NO_THROW(traite_action_joueur(m, 9, static_cast<action>(a)));
    EXPECT_NO_THROW(traite_action_joueur(m, identite{7, 1}, static_cast<action>(a)));
  }
  traite_action_joueur(m, 8, action::Quitte);
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

}  // namespace
}  // namespace jeu
