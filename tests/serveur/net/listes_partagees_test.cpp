// The shared list replies against freshly formatted ones, after every tick
// and every action of a long random game: a mark missed by any path that
// changes a ship or a bullet shows as a difference. A reply already taken
// must also keep its bytes while the world goes on.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "geometry/cube_field.h"
#include "net/listes_partagees.h"
#include "net/protocole.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/destruction.h"
#include "simulation/tick.h"
#include "support/reglage.h"

namespace jeu {
namespace {

std::string texte(const liste_partagee& l) {
  std::string t;
  l.ajoute(t);
  return t;
}

std::string attendu_vaisseaux(const monde& m) REQUIRES(m.verrou_monde) {
  const std::vector<vaisseau> copie(m.vaisseaux.begin(), m.vaisseaux.end());
  std::string t;
  ajoute_liste(t, std::span<const vaisseau>(copie));
  return t;
}

std::string attendu_balles(const monde& m) REQUIRES(m.verrou_monde) {
  const std::vector<balle> copie(m.balles.begin(), m.balles.end());
  std::string t;
  ajoute_liste(t, std::span<const balle>(copie));
  return t;
}

// Ships that may move, and ships that never do (turrets), whose lines then
// change only by turning and by hits.
class ListesPartagees : public testing::TestWithParam<bool> {};

TEST_P(ListesPartagees, ToujoursLesOctetsDuneListeFormateeALInstant) {
  const bool mobiles = GetParam();
  const long graine = test::reglage("LISTES_GRAINE", 11);
  const long pas = test::reglage("LISTES_PAS", 6000);
  monde m(static_cast<std::uint64_t>(graine));
  std::mt19937_64 hasard(static_cast<std::uint64_t>(graine));
  VerrouGarde garde(m.verrou_monde);
  m.cubes = cree_cubes(m, configuration::nb_cubes);

  std::vector<identite> joueurs;
  couleur_t prochaine = 1;
  liste_partagee tenue_v, tenue_b;  // replies held across steps, as a slow session would
  std::string texte_tenu_v, texte_tenu_b;
  long touches = 0;  // ships that lost life points in a tick
  for (long k = 0; k < pas; ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    const int tirage = static_cast<int>(hasard() % 100);
    std::string quoi;
    if (tirage < 8 || joueurs.empty()) {
      quoi = "registration";
      if (cree_vaisseau(m, prochaine)) joueurs.push_back({prochaine, m.vaisseaux.front().serie});
      ++prochaine;
    } else if (tirage < 11) {
      quoi = "quit";
      const std::size_t i = hasard() % joueurs.size();
      detruit_vaisseau(m, joueurs[i], raison_depart::quitte);
      joueurs.erase(joueurs.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (tirage < 35) {
      quoi = "tick";
      long vie = 0;
      for (const vaisseau& s : m.vaisseaux) vie += s.pt_vie;
      const std::size_t avant = m.vaisseaux.size();
      avance_monde(m);
      for (const vaisseau& s : m.vaisseaux) vie -= s.pt_vie;
      if (m.vaisseaux.size() == avant && vie > 0) ++touches;
    } else {
      constexpr action tourelle[] = {action::Tire, action::Tire, action::Gauche, action::Droite};
      const auto a = mobiles ? static_cast<action>(hasard() % 5)  // every action but Quitte
                             : tourelle[hasard() % 4];
      quoi = "action " + std::to_string(static_cast<int>(a));
      traite_action_joueur(m, joueurs[hasard() % joueurs.size()], a);
    }
    SCOPED_TRACE(quoi);
    liste_partagee v, b;
    prend_vaisseaux(m, v);
    prend_balles(m, b);
    ASSERT_EQ(texte(v), attendu_vaisseaux(m));
    ASSERT_EQ(texte(b), attendu_balles(m));
    ASSERT_EQ(texte(tenue_v), texte_tenu_v);
    ASSERT_EQ(texte(tenue_b), texte_tenu_b);
    if (hasard() % 16 == 0) {
      tenue_v = v;
      tenue_b = b;
      texte_tenu_v = texte(v);
      texte_tenu_b = texte(b);
    }
  }
  // The game went through what it should have.
  EXPECT_GT(m.vaisseaux.size(), 2 * texte_partage::par_bloc);
  EXPECT_GT(touches, 0);
}

INSTANTIATE_TEST_SUITE_P(Navires, ListesPartagees, testing::Bool());

}  // namespace
}  // namespace jeu
